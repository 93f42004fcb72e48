// defaults DIR read|write|delete DOMAIN [KEY [-bool|-int|-string VALUE]]
#include <base/AtomicFile.h>
#include <base/PlistFile.h>
#include <unistd.h>
#include <wire/DevicePaths.h>

#include <cstdio>
#include <memory>

#include "CommandLine.h"
#include "Commands.h"
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

struct DefaultsOptions {
    std::string dir, domain, key;
    std::string type, value;            // write: [-bool|-int|-string] VALUE
    const CLI::App* command = nullptr;  // "defaults", to tell which verb was given
};

std::string missingKey(const std::string& domain, const std::string& key) {
    return "The domain/default pair of (" + domain + ", " + key + ") does not exist";
}

int readDefaults(const DefaultsOptions& options) {
    const std::string root = deviceRoot(options.dir);
    std::unique_ptr<PList::Dictionary> dict =
        loadDomain(domainFile(root, options.domain), options.domain);
    if (!dict) throw CommandError("Domain " + options.domain + " does not exist");
    if (options.key.empty()) {
        std::printf("%s\n", formatDefaultsValue(*dict, false).c_str());
        return 0;
    }
    const PList::Node* value = base::nodeAt(*dict, options.key);
    if (!value) throw CommandError(missingKey(options.domain, options.key));
    std::printf("%s\n", formatDefaultsValue(*value, true).c_str());
    return 0;
}

int writeDefaults(const DefaultsOptions& options) {
    std::string error;
    auto value = parseDefaultsValue(options.type, options.value, &error);
    if (!value) throw UsageError(error);
    const std::string root = deviceRoot(options.dir);
    const std::string path = domainFile(root, options.domain);
    std::unique_ptr<PList::Dictionary> dict = loadDomain(path, options.domain);
    if (!dict) dict = std::make_unique<PList::Dictionary>();
    dict->Set(options.key, *value);
    save(path, *dict, options.domain);
    return 0;
}

int deleteDefaults(const DefaultsOptions& options) {
    const std::string root = deviceRoot(options.dir);
    const std::string path = domainFile(root, options.domain);
    std::unique_ptr<PList::Dictionary> dict = loadDomain(path, options.domain);
    if (!dict) throw CommandError("Domain " + options.domain + " does not exist");
    if (options.key.empty()) {
        if (unlink(path.c_str()) != 0)
            throw CommandError("cannot remove the domain " + options.domain);
        return 0;
    }
    if (!base::nodeAt(*dict, options.key))
        throw CommandError(missingKey(options.domain, options.key));
    dict->Remove(options.key);
    save(path, *dict, options.domain);
    return 0;
}

int defaultsCommand(const DefaultsOptions& options) {
    if (options.command->got_subcommand("read")) return readDefaults(options);
    if (options.command->got_subcommand("write")) return writeDefaults(options);
    if (options.command->got_subcommand("delete")) return deleteDefaults(options);
    throw UsageError("defaults wants read, write or delete");
}

// One of read, write and delete, after "simctl defaults DIR". Everything after its first
// word is taken as it stands, so that keys and values may begin with '-' ("-int -5").
CLI::App& addVerb(CLI::App& defaults, const std::string& verb, const std::string& summary,
                  DefaultsOptions& options) {
    CLI::App& command = *defaults.add_subcommand(verb, summary);
    command.positionals_at_end();
    command.footer("");
    command.add_option("DOMAIN", options.domain, "the preferences' name, e.g. com.example.app")
        ->required()
        ->type_name("")
        ->check(valueCheck(validDomainName, "a domain name (no '/', no leading '.')"));
    return command;
}

}  // namespace

void addDefaultsCommand(CommandLine& line) {
    auto options = std::make_shared<DefaultsOptions>();
    CLI::App& defaults =
        line.addCommand("defaults", "read and write the device's preferences",
                        "usage: simctl defaults DIR read DOMAIN [KEY]\n"
                        "       simctl defaults DIR write DOMAIN KEY [-bool|-int|-string] VALUE\n"
                        "       simctl defaults DIR delete DOMAIN [KEY]\n"
                        "Reads and writes the preferences of the device user root\n"
                        "(var/root/Library/Preferences/DOMAIN.plist) as the defaults tool does.",
                        [options] { return defaultsCommand(*options); });
    options->command = &defaults;
    addDeviceFolder(defaults, options->dir);
    defaults.require_subcommand(0, 1);

    CLI::App& read = addVerb(defaults, "read", "print a domain, or one key's value", *options);
    read.add_option("KEY", options->key, "the key; none: the whole domain")->type_name("");
    CLI::App& write = addVerb(defaults, "write", "set a key's value", *options);
    write.add_option("KEY", options->key, "the key")->required()->type_name("");
    // Filled from the end: a lone word after KEY is the VALUE.
    write.add_option("TYPE", options->type, "-bool (true/false/yes/no/1/0), -int or -string")
        ->type_name("");
    write.add_option("VALUE", options->value, "the value (a string unless a TYPE says otherwise)")
        ->required()
        ->type_name("");
    CLI::App& remove = addVerb(defaults, "delete", "remove a domain, or one key", *options);
    remove.add_option("KEY", options->key, "the key; none: the whole domain")->type_name("");
}

}  // namespace simctl
