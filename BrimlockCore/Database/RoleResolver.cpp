#include "BrimlockCore/Database/RoleResolver.h"

#include "BrimlockCore/PropertyList/BlobDecoder.h"
#include "BrimlockCore/Database/DamagedStore.h"
#include "BrimlockCore/Database/FCPDatabaseConnection.h"
#include "BrimlockCore/Database/LibraryScanner.h"
#include "BrimlockCore/Database/StoreVocabulary.h"
#include "BrimlockCore/PropertyList/PropertyListReader.h"
#include "Platform/Foundation/UnicodeText.h"

#include <algorithm>
#include <memory>
#include <system_error>

namespace brimlock {

namespace {

// Requests deeper than this resolve to nothing, which bounds walks around reference cycles.
constexpr int kMaximumResolutionDepth = 11;

// One object of the role-set archive with its references replaced by what they name. Only
// dictionaries are rebuilt; every other object, and any value that is not a reference, stays raw.
struct Resolved {
    enum class Kind { null, raw, list, map };
    Kind kind = Kind::null;
    std::optional<PropertyListValue> raw;
    std::vector<std::shared_ptr<const Resolved>> list;  // a null pointer is an element that resolved to nothing
    std::vector<std::pair<std::string, std::shared_ptr<const Resolved>>> map;  // keys unique, archive order

    static std::shared_ptr<const Resolved> of(PropertyListValue value) {
        auto node = std::make_shared<Resolved>();
        node->kind = Kind::raw;
        node->raw = std::move(value);
        return node;
    }

    std::optional<std::string_view> text() const { return kind == Kind::raw ? raw->string() : std::nullopt; }

    // An entry of a rebuilt map, or of a raw dictionary that was left as it was found.
    std::shared_ptr<const Resolved> entry(std::string_view key) const {
        if (kind == Kind::map) {
            for (const auto& [name, value] : map) {
                if (name == key) return value;
            }
        } else if (kind == Kind::raw && raw->is(PropertyListKind::dictionary)) {
            if (const auto value = raw->find(key)) return of(*value);
        }
        return nullptr;
    }

    bool isMap() const { return kind == Kind::map || (kind == Kind::raw && raw->is(PropertyListKind::dictionary)); }
};

using ResolvedPtr = std::shared_ptr<const Resolved>;

class RoleSetWalk {
public:
    explicit RoleSetWalk(const PropertyListValue& objects) : objects_(objects), memo_(objects.size()) {}

    ResolvedPtr resolveIndex(std::int64_t index, int depth) {
        if (depth > kMaximumResolutionDepth || index < 0 || static_cast<std::uint64_t>(index) >= objects_.size())
            return nullptr;
        const auto position = static_cast<std::size_t>(index);
        if (memo_[position]) return *memo_[position];
        // The deepest resolution of an object on a cycle finishes first and is memoised, so every
        // other path meets the memo: the walk stays linear however the objects point at each other.
        const ResolvedPtr result = resolveObject(objects_[position], depth);
        // Nothing is remembered as an explicit null, which no type test accepts.
        memo_[position] = result ? result : std::make_shared<const Resolved>();
        return result;
    }

private:
    // A reference resolved at the next depth; any other value as it is.
    ResolvedPtr resolveValue(const PropertyListValue& value, int depth) {
        if (const auto index = BlobDecoder::uidIndex(value)) return resolveIndex(*index, depth + 1);
        return Resolved::of(value);
    }

    static void put(Resolved& map, std::string key, ResolvedPtr value) {
        for (auto& [name, existing] : map.map) {
            if (name == key) {
                existing = std::move(value);
                return;
            }
        }
        map.map.emplace_back(std::move(key), std::move(value));
    }

    ResolvedPtr resolveObject(const PropertyListValue& object, int depth) {
        if (!object.is(PropertyListKind::dictionary)) return Resolved::of(object);

        if (const auto string = object.find("NS.string")) {
            const ResolvedPtr resolved = resolveValue(*string, depth);
            return resolved && resolved->text() ? resolved : nullptr;
        }
        const auto keys = object.find("NS.keys");
        const auto values = object.find("NS.objects");
        if (values && values->is(PropertyListKind::array) && !keys) {
            auto list = std::make_shared<Resolved>();
            list->kind = Resolved::Kind::list;
            for (const auto element : *values) list->list.push_back(resolveValue(element, depth));
            return list;
        }
        auto map = std::make_shared<Resolved>();
        map->kind = Resolved::Kind::map;
        if (keys && values && keys->is(PropertyListKind::array) && values->is(PropertyListKind::array)) {
            const std::size_t count = std::min(keys->size(), values->size());
            for (std::size_t i = 0; i < count; ++i) {
                const ResolvedPtr key = resolveValue((*keys)[i], depth);
                const auto keyText = key ? key->text() : std::nullopt;
                if (!keyText) continue;
                ResolvedPtr value = resolveValue((*values)[i], depth);
                if (value) put(*map, std::string(*keyText), std::move(value));
            }
            return map;
        }
        for (std::size_t i = 0; i < object.size(); ++i) {
            ResolvedPtr value = resolveValue(object[i], depth);
            if (value) put(*map, std::string(object.keyAt(i)), std::move(value));
        }
        return map;
    }

    const PropertyListValue& objects_;
    std::vector<std::optional<ResolvedPtr>> memo_;
};

std::vector<RoleInfo> sortedByName(std::vector<RoleInfo> roles) {
    // Byte order of UTF-8 is code point order.
    std::stable_sort(roles.begin(), roles.end(), [](const RoleInfo& a, const RoleInfo& b) {
        return platform::canonicalForm(a.name) < platform::canonicalForm(b.name);
    });
    return roles;
}

}  // namespace

void RoleResolver::extractRoles(const PropertyListValue& objects) {
    RoleSetWalk walk(objects);
    for (std::size_t index = 0; index < objects.size(); ++index) {
        const ResolvedPtr role = walk.resolveIndex(static_cast<std::int64_t>(index), 0);
        if (!role || !role->isMap()) continue;
        const ResolvedPtr uuid = role->entry("uuid");
        const auto uuidText = uuid ? uuid->text() : std::nullopt;
        if (!uuidText) continue;
        const ResolvedPtr name = role->entry("name");
        const ResolvedPtr subRoles = role->entry("subRoles");
        if (!name && !subRoles) continue;

        RoleDef def;
        def.uuid = std::string(*uuidText);
        if (const auto nameText = name ? name->text() : std::nullopt; nameText && *nameText != "$null")
            def.rawName = std::string(*nameText);
        const auto addSubRole = [&def](const ResolvedPtr& element) {
            if (!element) return;
            if (const auto text = element->text()) {
                def.subRoleUIDs.emplace_back(*text);
            } else if (element->isMap()) {
                const ResolvedPtr subUUID = element->entry("uuid");
                if (const auto subText = subUUID ? subUUID->text() : std::nullopt)
                    def.subRoleUIDs.emplace_back(*subText);
            }
        };
        if (subRoles && subRoles->kind == Resolved::Kind::list) {
            for (const auto& element : subRoles->list) addSubRole(element);
        } else if (subRoles && subRoles->kind == Resolved::Kind::raw && subRoles->raw->is(PropertyListKind::array)) {
            for (const auto element : *subRoles->raw) addSubRole(Resolved::of(element));
        }
        defs_.insert_or_assign(def.uuid, std::move(def));
    }
    for (const auto& [uuid, def] : defs_) {
        for (const auto& sub : def.subRoleUIDs) {
            if (sub != uuid) parentOf_.insert_or_assign(sub, uuid);
        }
    }
}

void RoleResolver::loadRoles(FCPDatabaseConnection& from) {
    const auto projects = from.fetchCollections(store::kMediaEventProject);
    if (projects.empty() || !projects.front().blob) return;
    try {
        const auto blob = BlobDecoder::decode(*projects.front().blob);
        const auto value = blob.value("roleSetData");
        if (const auto bytes = value ? value->data() : std::nullopt) loadRoleSet(*bytes);
    } catch (const PropertyListError&) {
        // A project blob that cannot be read has no roles for us.
    } catch (const BlobDecoderError&) {
    }
}

void RoleResolver::loadRoleSet(std::span<const std::uint8_t> roleSetData) {
    try {
        const PropertyListValue roleSet = PropertyListReader::parse(roleSetData);
        const auto objects = roleSet.find("$objects");
        if (objects && objects->is(PropertyListKind::array)) extractRoles(*objects);
    } catch (const PropertyListError&) {
        // An unreadable role set adds no roles.
    }
}

void RoleResolver::loadAllRoles(const std::filesystem::path& from) {
    for (const auto& entry : std::filesystem::directory_iterator(from)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.front() == '.') continue;
        const auto databaseURL = entry.path() / LibraryScanner::kEventDatabaseFileName;
        std::error_code error;
        if (!std::filesystem::exists(databaseURL, error)) continue;
        // An event that cannot be read leaves its roles unknown.
        whenStoreReadable([&] {
            FCPDatabaseConnection db(databaseURL.string());
            loadRoles(db);
        });
    }
}

std::optional<std::string> RoleResolver::resolve(std::string_view roleUID) const {
    const std::string key(roleUID);
    if (const auto def = defs_.find(key); def != defs_.end() && def->second.rawName) return def->second.rawName;
    const auto parent = parentOf_.find(key);
    if (parent == parentOf_.end()) return std::nullopt;
    const auto parentDef = defs_.find(parent->second);
    return parentDef != defs_.end() ? parentDef->second.rawName : std::nullopt;
}

std::optional<std::string> RoleResolver::topLevelUID(std::string_view forRoleUID) const {
    const std::string key(forRoleUID);
    if (const auto parent = parentOf_.find(key); parent != parentOf_.end()) return parent->second;
    if (defs_.contains(key)) return key;
    return std::nullopt;
}

std::vector<RoleInfo> RoleResolver::topLevelRoles() const {
    std::vector<RoleInfo> roles;
    for (const auto& [uuid, def] : defs_) {
        if (def.rawName && !parentOf_.contains(uuid)) roles.push_back({uuid, *def.rawName});
    }
    return sortedByName(std::move(roles));
}

std::vector<RoleInfo> RoleResolver::subRoles(std::string_view ofTopLevel) const {
    const auto def = defs_.find(std::string(ofTopLevel));
    if (def == defs_.end()) return {};
    std::vector<RoleInfo> roles;
    for (const auto& sub : def->second.subRoleUIDs) {
        if (sub == def->second.uuid) continue;
        const auto subDef = defs_.find(sub);
        if (subDef != defs_.end() && subDef->second.rawName) roles.push_back({sub, *subDef->second.rawName});
    }
    return sortedByName(std::move(roles));
}

void RoleResolver::clear() {
    defs_.clear();
    parentOf_.clear();
}

}  // namespace brimlock
