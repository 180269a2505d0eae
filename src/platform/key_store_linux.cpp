#include "platform/key_store.h"

#include "kestro_version.h"
#include "platform/descriptor.h"
#include "platform/mime_types.h"
#include "platform/program_module.h"
#include "platform/program_paths.h"
#include "platform/text.h"

#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace kestro {

namespace {

// Deeper paths name no key: the platform's own limit, and it bounds the
// recursion that writes the tree.
constexpr std::size_t MaxKeyDepth = 512;

// "a\b\c" → {"a", "b", "c"}; the empty path is the root itself. A path with
// an empty part (leading, trailing or doubled "\") names no key.
std::optional<std::vector<std::string>> splitKeyPath(std::string_view path) {
    std::vector<std::string> parts;
    if (path.empty())
        return parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = path.find('\\', start);
        std::string_view part = path.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (part.empty() || parts.size() == MaxKeyDepth)
            return std::nullopt;
        parts.emplace_back(part);
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// ---------------------------------------------------------------------------
// HKEY_CURRENT_USER: a tree kept in one text file. Every call reads the file
// afresh, so the file is the only state and another process sees each change
// at once.

struct NamedValue {
    std::string name;
    KeyValue value;
};

struct Key {
    std::string name;
    std::vector<NamedValue> values;
    std::vector<Key> keys;
};

Key* findChild(Key& parent, std::string_view name) {
    for (Key& key : parent.keys) {
        if (ascii::sameNoCase(key.name, name))
            return &key;
    }
    return nullptr;
}

Key* findKey(Key& root, const std::vector<std::string>& parts) {
    Key* key = &root;
    for (const std::string& part : parts) {
        key = findChild(*key, part);
        if (!key)
            return nullptr;
    }
    return key;
}

// Keys keep the spelling they were created with.
Key& createKey(Key& root, const std::vector<std::string>& parts) {
    Key* key = &root;
    for (const std::string& part : parts) {
        Key* child = findChild(*key, part);
        if (!child) {
            key->keys.push_back(Key{part, {}, {}});
            child = &key->keys.back();
        }
        key = child;
    }
    return *key;
}

void setValue(Key& key, std::string_view name, const KeyValue& value) {
    for (NamedValue& existing : key.values) {
        if (ascii::sameNoCase(existing.name, name)) {
            existing.value = value;
            return;
        }
    }
    key.values.push_back(NamedValue{std::string(name), value});
}

// The file holds one record a line, fields separated by tabs:
//   key <TAB> path            (path with "\" between the key names)
//   value <TAB> name <TAB> type <TAB> data
// A value belongs to the key line before it, or to the root when none came
// yet. Field bytes below 0x20, DEL and "%" are written as %XX, so tabs, line
// breaks and NULs in names and data survive; everything else is kept as is.
constexpr std::string_view StoreHeader = "# Kestro key store: key/value records, %XX escapes\n";

std::string escapeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (char c : field) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '%') {
            out += '%';
            ascii::appendHex(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescapeField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const int escaped = field[i] == '%' ? ascii::hexByteAt(field, i + 1) : -1;
        if (escaped >= 0) {
            out += static_cast<char>(escaped);
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t end = line.find('\t', start);
        if (end == std::string_view::npos) {
            fields.push_back(line.substr(start));
            return fields;
        }
        fields.push_back(line.substr(start, end - start));
        start = end + 1;
    }
}

void writeValues(const Key& key, std::string& out) {
    for (const NamedValue& value : key.values) {
        out += "value\t";
        out += escapeField(value.name);
        out += '\t';
        out += std::to_string(value.value.type);
        out += '\t';
        out += escapeField(value.value.data);
        out += '\n';
    }
}

void writeKeys(const Key& parent, const std::string& parentPath, std::string& out) {
    for (const Key& key : parent.keys) {
        std::string path = parentPath.empty() ? key.name : parentPath + "\\" + key.name;
        out += "key\t";
        out += escapeField(path);
        out += '\n';
        writeValues(key, out);
        writeKeys(key, path, out);
    }
}

std::string serializeStore(const Key& root) {
    std::string out(StoreHeader);
    writeValues(root, out);
    writeKeys(root, {}, out);
    return out;
}

// Lines that are not well-formed records are skipped, and so are the values
// of a key line that names no key.
Key parseStore(std::string_view text) {
    Key root;
    Key* current = &root;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);

        std::vector<std::string_view> fields = splitFields(line);
        if (fields[0] == "key" && fields.size() == 2) {
            std::optional<std::vector<std::string>> parts = splitKeyPath(unescapeField(fields[1]));
            current = (parts && !parts->empty()) ? &createKey(root, *parts) : nullptr;
        } else if (fields[0] == "value" && fields.size() == 4 && current) {
            std::uint32_t type = 0;
            std::string_view typeText = fields[2];
            auto [rest, error] =
                std::from_chars(typeText.data(), typeText.data() + typeText.size(), type);
            if (error != std::errc() || rest != typeText.data() + typeText.size() ||
                typeText.empty())
                continue;
            setValue(*current, unescapeField(fields[1]), KeyValue{type, unescapeField(fields[3])});
        }
    }
    return root;
}

std::string storeFolder() {
    return configHome() + "/Kestro";
}

std::string storePath() {
    return storeFolder() + "/registry.txt";
}

// The stored tree; an empty tree when there is no file yet. Nothing when the
// file exists but cannot be read (or is no regular file, which could block
// the read): callers then refuse to write rather than replace what they could
// not see.
std::optional<Key> loadStore() {
    std::string path = storePath();
    struct stat facts {};
    if (::stat(path.c_str(), &facts) != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::optional<Key>(Key{}) : std::nullopt;
    if (!S_ISREG(facts.st_mode))
        return std::nullopt;
    Result<std::string> text = readWholeFile(path);
    if (!text)
        return std::nullopt;
    return parseStore(text.value());
}

bool saveStore(const Key& root) {
    if (!makeFolders(storeFolder()))
        return false;
    return writeFileAtomically(storePath(), serializeStore(root)).ok();
}

// ---------------------------------------------------------------------------
// HKEY_CLASSES_ROOT: the shared MIME database, read only.

// The file-type module's entries, loaded at the first question; null when
// the module cannot be loaded (`failure` says why), and then no type is
// registered.
struct MimeTypes {
    KestroMimeTypeOfName ofName = nullptr;
    KestroMimeTypeComment comment = nullptr;
    std::optional<Failure> failure;
};

const MimeTypes& mimeTypes() {
    static const MimeTypes loaded = [] {
        Result<void*> ofName =
            loadProgramModuleFunction(build::typesModuleName, MimeTypeOfNameEntry);
        if (!ofName)
            return MimeTypes{nullptr, nullptr, ofName.failure()};
        Result<void*> comment =
            loadProgramModuleFunction(build::typesModuleName, MimeTypeCommentEntry);
        if (!comment)
            return MimeTypes{nullptr, nullptr, comment.failure()};
        return MimeTypes{reinterpret_cast<KestroMimeTypeOfName>(ofName.value()),
                         reinterpret_cast<KestroMimeTypeComment>(comment.value()), std::nullopt};
    }();
    return loaded;
}

template <class Entry> std::optional<std::string> ask(Entry entry, std::string_view question) {
    if (!entry)
        return std::nullopt;
    std::string answer;
    const KestroTakeText take = [](void* context, const char* text, std::size_t length) {
        static_cast<std::string*>(context)->assign(text, length);
    };
    if (!entry(question.data(), question.size(), take, &answer))
        return std::nullopt;
    return answer;
}

// `first`, then `second` when it is spelled differently.
std::vector<std::string> spellings(std::string_view first, std::string_view second) {
    std::vector<std::string> both{std::string(first)};
    if (second != first)
        both.emplace_back(second);
    return both;
}

// The MIME type of files ending in "." + extension. The lower-case spelling
// goes first: keys ignore case, so ".C" must answer what ".c" answers even
// though the database has a case-sensitive pattern for "*.C". The spelling
// as given covers patterns that exist only in another case.
std::optional<std::string> mimeTypeOfExtension(std::string_view extension) {
    if (extension.empty() || extension.find('/') != std::string_view::npos)
        return std::nullopt;
    for (const std::string& spelling : spellings(ascii::lowered(extension), extension)) {
        if (auto type = ask(mimeTypes().ofName, "x." + spelling))
            return type;
    }
    return std::nullopt;
}

// The comment of a MIME type name, in the user's language.
std::optional<std::string> mimeTypeComment(std::string_view name) {
    for (const std::string& spelling : spellings(name, ascii::lowered(name))) {
        if (auto comment = ask(mimeTypes().comment, spelling))
            return comment;
    }
    return std::nullopt;
}

std::optional<std::string> lookUpClassesDefaultValue(std::string_view subKey) {
    if (subKey.front() == '.')
        return mimeTypeOfExtension(subKey.substr(1));
    return mimeTypeComment(subKey);
}

// The default value of a key under HKEY_CLASSES_ROOT; the keys are one level
// deep and the root itself has no default value. The file-type column asks
// for the same few keys once per listed file, each time opening the key and
// then reading it, so answers are remembered; the database does not change
// while the program runs. The memory is bounded for trees full of unique
// extensions.
std::optional<std::string> classesDefaultValue(std::string_view subKey) {
    if (subKey.empty() || subKey.find('\\') != std::string_view::npos)
        return std::nullopt;
    static std::mutex guard;
    static std::unordered_map<std::string, std::optional<std::string>> answers;
    constexpr std::size_t MaxAnswers = 4096;

    std::string key(subKey);
    {
        std::lock_guard lock(guard);
        if (auto found = answers.find(key); found != answers.end())
            return found->second;
    }
    std::optional<std::string> answer = lookUpClassesDefaultValue(subKey);
    std::lock_guard lock(guard);
    if (answers.size() >= MaxAnswers)
        answers.clear();
    answers.emplace(std::move(key), answer);
    return answer;
}

} // namespace

Status fileTypesAvailable() {
    if (const auto& failure = mimeTypes().failure)
        return *failure;
    return Ok{};
}

bool keyExists(std::uint32_t root, std::string_view subKey) {
    if (root == rootkey::ClassesRoot)
        return subKey.empty() || classesDefaultValue(subKey).has_value();
    if (root != rootkey::CurrentUser)
        return false;
    std::optional<std::vector<std::string>> parts = splitKeyPath(subKey);
    if (!parts)
        return false;
    if (parts->empty())
        return true;
    std::optional<Key> store = loadStore();
    return store && findKey(*store, *parts) != nullptr;
}

std::optional<KeyValue> queryKeyValue(std::uint32_t root, std::string_view subKey,
                                      std::string_view valueName) {
    if (root == rootkey::ClassesRoot) {
        if (!valueName.empty())
            return std::nullopt;
        std::optional<std::string> text = classesDefaultValue(subKey);
        if (!text)
            return std::nullopt;
        return KeyValue{valuetype::String, std::move(*text)};
    }
    if (root != rootkey::CurrentUser)
        return std::nullopt;
    std::optional<std::vector<std::string>> parts = splitKeyPath(subKey);
    if (!parts)
        return std::nullopt;
    std::optional<Key> store = loadStore();
    if (!store)
        return std::nullopt;
    const Key* key = findKey(*store, *parts);
    if (!key)
        return std::nullopt;
    for (const NamedValue& value : key->values) {
        if (ascii::sameNoCase(value.name, valueName))
            return value.value;
    }
    return std::nullopt;
}

bool setKeyValue(std::uint32_t root, std::string_view subKey, std::string_view valueName,
                 const KeyValue& value) {
    if (root != rootkey::CurrentUser)
        return false;
    std::optional<std::vector<std::string>> parts = splitKeyPath(subKey);
    if (!parts)
        return false;
    std::optional<Key> store = loadStore();
    if (!store)
        return false;
    setValue(createKey(*store, *parts), valueName, value);
    return saveStore(*store);
}

bool deleteKey(std::uint32_t root, std::string_view subKey, std::string_view name) {
    if (root != rootkey::CurrentUser)
        return false;
    std::optional<std::vector<std::string>> parentParts = splitKeyPath(subKey);
    std::optional<std::vector<std::string>> nameParts = splitKeyPath(name);
    // An empty name would mean the key itself (or the root); refuse it.
    if (!parentParts || !nameParts || nameParts->empty())
        return false;
    parentParts->insert(parentParts->end(), nameParts->begin(), nameParts->end() - 1);
    std::optional<Key> store = loadStore();
    if (!store)
        return false;
    Key* parent = findKey(*store, *parentParts);
    if (!parent)
        return false;
    for (auto it = parent->keys.begin(); it != parent->keys.end(); ++it) {
        if (ascii::sameNoCase(it->name, nameParts->back())) {
            if (!it->keys.empty())
                return false;
            parent->keys.erase(it);
            return saveStore(*store);
        }
    }
    return false;
}

void flushKeys(std::uint32_t root) {
    if (root != rootkey::CurrentUser)
        return;
    // Each write already syncs the file before its rename; syncing the folder
    // makes the rename itself durable.
    const Descriptor folder(::open(storeFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        ::fsync(folder.get());
}

} // namespace kestro
