#include <base/PlistFile.h>
#include <base/PlistHandles.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>

namespace base {

PList::Dictionary* PlistFile::dictionary() const {
    if (!root || root->GetType() != PLIST_DICT) return nullptr;
    return static_cast<PList::Dictionary*>(root.get());
}

std::unique_ptr<PList::Node> parsePlist(const std::vector<char>& bytes, std::string* error) {
    auto fail = [&](const char* why) -> std::unique_ptr<PList::Node> {
        if (error) *error = why;
        return nullptr;
    };
    if (bytes.empty()) return fail("is empty");
    if (bytes.size() > (64u << 20)) return fail("is too large");
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) return fail("is not a property list (damaged or truncated)");
    return std::unique_ptr<PList::Node>(PList::Node::FromPlist(root));
}

PlistFile readPlistFile(const std::string& hostPath) {
    PlistFile file;
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return file;
        file.state = PlistFile::State::Invalid;
        file.error = std::string("cannot be read: ") + std::strerror(errno);
        return file;
    }
    if (!S_ISREG(st.st_mode)) {
        file.state = PlistFile::State::Invalid;
        file.error = "is not a regular file";
        return file;
    }
    std::ifstream in(hostPath, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        file.state = PlistFile::State::Invalid;
        file.error = "cannot be read";
        return file;
    }
    file.root = parsePlist(bytes, &file.error);
    file.state = file.root ? PlistFile::State::Loaded : PlistFile::State::Invalid;
    return file;
}

std::vector<char> plistBytes(plist_t tree, bool binary) {
    PlistText out;
    uint32_t length = 0;
    if (binary)
        plist_to_bin(tree, out.out(), &length);
    else
        plist_to_xml(tree, out.out(), &length);
    return out ? std::vector<char>(out.get(), out.get() + length) : std::vector<char>();
}

std::vector<char> plistToXml(const PList::Node& node) { return plistBytes(node.GetPlist(), false); }

namespace {
template <class T>
const T* typedAt(const PList::Dictionary& dict, const std::string& key, plist_type type) {
    auto it = dict.Find(key);
    if (it == dict.End() || !it->second || it->second->GetType() != type) return nullptr;
    return static_cast<const T*>(it->second);
}
}  // namespace

std::optional<std::string> stringAt(const PList::Dictionary& dict, const std::string& key) {
    const auto* node = typedAt<PList::String>(dict, key, PLIST_STRING);
    if (!node) return std::nullopt;
    return node->GetValue();
}
std::optional<int64_t> integerAt(const PList::Dictionary& dict, const std::string& key) {
    const auto* node = typedAt<PList::Integer>(dict, key, PLIST_UINT);
    if (!node) return std::nullopt;
    uint64_t value = 0;
    plist_get_uint_val(node->GetPlist(), &value);
    return static_cast<int64_t>(value);
}
std::optional<double> realAt(const PList::Dictionary& dict, const std::string& key) {
    if (const auto* node = typedAt<PList::Real>(dict, key, PLIST_REAL)) {
        double value = 0;
        plist_get_real_val(node->GetPlist(), &value);
        return value;
    }
    if (const std::optional<int64_t> whole = integerAt(dict, key))
        return static_cast<double>(*whole);
    return std::nullopt;
}
const PList::Array* arrayAt(const PList::Dictionary& dict, const std::string& key) {
    return typedAt<PList::Array>(dict, key, PLIST_ARRAY);
}
const PList::Dictionary* dictionaryAt(const PList::Dictionary& dict, const std::string& key) {
    return typedAt<PList::Dictionary>(dict, key, PLIST_DICT);
}
std::optional<bool> booleanAt(const PList::Dictionary& dict, const std::string& key) {
    const auto* node = typedAt<PList::Boolean>(dict, key, PLIST_BOOLEAN);
    if (!node) return std::nullopt;
    uint8_t value = 0;
    plist_get_bool_val(node->GetPlist(), &value);
    return value != 0;
}
std::optional<double> dateAt(const PList::Dictionary& dict, const std::string& key) {
    const auto* node = typedAt<PList::Date>(dict, key, PLIST_DATE);
    if (!node) return std::nullopt;
    return dateSeconds(*node);
}
const PList::Node* nodeAt(const PList::Dictionary& dict, const std::string& key) {
    auto it = dict.Find(key);
    return it == dict.End() ? nullptr : it->second;
}

size_t arraySize(const PList::Array& array) { return plist_array_get_size(array.GetPlist()); }

std::unique_ptr<PList::Node> arrayItem(const PList::Array& array, size_t index) {
    if (index >= arraySize(array)) return nullptr;
    plist_t item = plist_array_get_item(array.GetPlist(), static_cast<uint32_t>(index));
    if (!item) return nullptr;
    return std::unique_ptr<PList::Node>(PList::Node::FromPlist(plist_copy(item)));
}

std::vector<std::unique_ptr<PList::Node>> arrayItems(const PList::Array& array) {
    std::vector<std::unique_ptr<PList::Node>> items;
    const size_t size = arraySize(array);
    items.reserve(size);
    for (size_t i = 0; i < size; ++i) items.push_back(arrayItem(array, i));
    return items;
}

const PList::Array* arrayRoot(const PlistFile& file) {
    if (!file.root || file.root->GetType() != PLIST_ARRAY) return nullptr;
    return static_cast<const PList::Array*>(file.root.get());
}

void arrayAppend(PList::Array& array, const PList::Node& item) {
    plist_array_append_item(array.GetPlist(), plist_copy(item.GetPlist()));
}

void arrayRemove(PList::Array& array, size_t index) {
    if (index < arraySize(array))
        plist_array_remove_item(array.GetPlist(), static_cast<uint32_t>(index));
}

double dateSeconds(const PList::Date& date) {
    // libplist 2.2 aborts reading a date node that libplist++ copied (Clone, Dictionary::Set
    // record the wrong size). The binary form is written from the value alone, so read the
    // value back through a fresh node parsed from it.
    const std::vector<char> bytes = plistBytes(date.GetPlist(), true);
    PlistTree fresh;
    if (!bytes.empty())
        plist_from_bin(bytes.data(), static_cast<uint32_t>(bytes.size()), fresh.out());
    int32_t sec = 0, usec = 0;
    if (fresh && plist_get_node_type(fresh.get()) == PLIST_DATE)
        plist_get_date_val(fresh.get(), &sec, &usec);
    return sec + usec / 1e6;
}

PList::Date makeDate(double referenceSeconds) {
    // Built with the C API: libplist++'s timeval constructor records a size that libplist's own
    // reader then rejects with an abort.
    const double whole = std::floor(referenceSeconds);
    auto usec = static_cast<int32_t>(std::lround((referenceSeconds - whole) * 1e6));
    if (usec >= 1000000) usec = 999999;
    return PList::Date(plist_new_date(static_cast<int32_t>(whole), usec));
}

}  // namespace base
