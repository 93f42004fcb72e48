// defaults DIR read|write|delete DOMAIN [KEY [-bool|-int|-string VALUE]]
#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <unistd.h>
#include <wire/DevicePaths.h>

#include <cstdio>

#include "Defaults.h"
#include "Simctl.h"

namespace simctl {

namespace {

std::string domainFile(const std::string& root, const std::string& domain) {
    return wire::inRoot(root, std::string(wire::paths::kPreferences) + "/" + domain + ".plist");
}

// The domain's dictionary; null when the file is absent. A damaged file is an error: writing
// over it would lose what it holds.
std::unique_ptr<PList::Dictionary> loadDomain(const std::string& path, const std::string& domain) {
    base::PlistFile file = base::readPlistFile(path);
    if (file.state == base::PlistFile::State::Missing) return nullptr;
    if (!file.loaded()) throw CommandError("the preferences of " + domain + " " + file.error);
    PList::Dictionary* dict = file.dictionary();
    if (!dict) throw CommandError("the preferences of " + domain + " are not a dictionary");
    file.root.release();
    return std::unique_ptr<PList::Dictionary>(dict);
}

void save(const std::string& path, const PList::Dictionary& dict, const std::string& domain) {
    if (!base::writeFileAtomically(path, base::plistToXml(dict)))
        throw CommandError("cannot write the preferences of " + domain);
}

}  // namespace

int defaultsCommand(const Args& args) {
    if (args.size() < 3)
        throw UsageError("defaults needs a device folder, read|write|delete and a domain");
    const std::string& verb = args[1];
    const std::string& domain = args[2];
    if (verb != "read" && verb != "write" && verb != "delete")
        throw UsageError("defaults wants read, write or delete, not \"" + verb + "\"");
    if (!validDomainName(domain)) throw UsageError("\"" + domain + "\" is not a domain name");
    const std::string root = deviceRoot(args[0]);
    const std::string path = domainFile(root, domain);
    std::unique_ptr<PList::Dictionary> dict = loadDomain(path, domain);

    if (verb == "read") {
        if (args.size() > 4) throw UsageError("defaults read takes a domain and at most a key");
        if (!dict) throw CommandError("Domain " + domain + " does not exist");
        if (args.size() == 3) {
            std::printf("%s\n", formatDefaultsValue(*dict, false).c_str());
            return 0;
        }
        const PList::Node* value = base::nodeAt(*dict, args[3]);
        if (!value)
            throw CommandError("The domain/default pair of (" + domain + ", " + args[3] +
                               ") does not exist");
        std::printf("%s\n", formatDefaultsValue(*value, true).c_str());
        return 0;
    }
    if (verb == "write") {
        if (args.size() != 5 && args.size() != 6)
            throw UsageError("defaults write wants a domain, a key and [-bool|-int|-string] VALUE");
        const std::string type = args.size() == 6 ? args[4] : "";
        std::string error;
        auto value = parseDefaultsValue(type, args.back(), &error);
        if (!value) throw UsageError(error);
        if (!dict) dict = std::make_unique<PList::Dictionary>();
        dict->Set(args[3], *value);
        save(path, *dict, domain);
        return 0;
    }
    // delete
    if (args.size() > 4) throw UsageError("defaults delete takes a domain and at most a key");
    if (!dict) throw CommandError("Domain " + domain + " does not exist");
    if (args.size() == 3) {
        if (unlink(path.c_str()) != 0) throw CommandError("cannot remove the domain " + domain);
        return 0;
    }
    if (!base::nodeAt(*dict, args[3]))
        throw CommandError("The domain/default pair of (" + domain + ", " + args[3] +
                           ") does not exist");
    dict->Remove(args[3]);
    save(path, *dict, domain);
    return 0;
}

}  // namespace simctl
