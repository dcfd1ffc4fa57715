#include "testing/KeyedArchiveWriter.h"

#include <bit>
#include <stdexcept>

namespace quillo::testing {

namespace {

// The "$classes" chain an archiver writes for the classes fixtures use; any other class is a direct
// subclass of NSObject.
PlistValue::Array classChain(const std::string& className) {
    PlistValue::Array chain{PlistValue::string(className)};
    if (className == "NSMutableDictionary") chain.push_back(PlistValue::string("NSDictionary"));
    if (className == "NSMutableArray") chain.push_back(PlistValue::string("NSArray"));
    if (className == "NSMutableSet") chain.push_back(PlistValue::string("NSSet"));
    if (className == "NSMutableString") chain.push_back(PlistValue::string("NSString"));
    if (className == "NSMutableData") chain.push_back(PlistValue::string("NSData"));
    if (className != "NSObject") chain.push_back(PlistValue::string("NSObject"));
    return chain;
}

bool isContainer(ArchiveValue::Kind kind) {
    return kind == ArchiveValue::Kind::array || kind == ArchiveValue::Kind::dictionary ||
           kind == ArchiveValue::Kind::object;
}

}  // namespace

KeyedArchiveWriter::KeyedArchiveWriter() {
    objects_.push_back(PlistValue::string("$null"));
    objects_.push_back(PlistValue());  // the root's place
}

void KeyedArchiveWriter::setRoot(const ArchiveValue& root) {
    using Kind = ArchiveValue::Kind;
    switch (root.kind()) {
    case Kind::null:
    case Kind::reference:
    case Kind::inlineValue: throw std::logic_error("the root of a keyed archive must be an object");
    default: break;
    }
    encodeInto(kRootIndex, root);
    rootSet_ = true;
}

std::uint64_t KeyedArchiveWriter::encode(const ArchiveValue& value) {
    using Kind = ArchiveValue::Kind;
    switch (value.kind()) {
    case Kind::null: return 0;
    case Kind::reference: return value.referenceIndex();
    case Kind::inlineValue: throw std::logic_error("an inline value belongs among the fields of an archived object");
    case Kind::string:
    case Kind::integer:
    case Kind::real:
    case Kind::boolean: {
        const auto key = scalarKey(value);
        if (const auto found = scalars_.find(key); found != scalars_.end()) return found->second;
        const auto index = append(value.scalarPlist());
        scalars_.emplace(key, index);
        return index;
    }
    default: break;
    }
    if (const auto found = archived_.find(value.identity()); found != archived_.end()) return found->second.second;
    const auto index = reserve();
    encodeInto(index, value);
    return index;
}

void KeyedArchiveWriter::encodeInto(std::uint64_t index, const ArchiveValue& value) {
    using Kind = ArchiveValue::Kind;
    if (value.isScalar()) {
        replace(index, value.scalarPlist());
        scalars_.try_emplace(scalarKey(value), index);
        return;
    }
    // Registered before the contents are archived, as an archiver does, so a container that holds
    // itself refers to its own index.
    archived_.insert_or_assign(value.identity(), std::make_pair(value, index));
    if (value.kind() == Kind::data) {
        replace(index, value.scalarPlist());
    } else if (value.kind() == Kind::rawObject) {
        replace(index, value.plistValue());
    } else if (isContainer(value.kind())) {
        replace(index, containerEntry(value));
    } else {
        throw std::logic_error("this kind of value has no entry of its own in $objects");
    }
}

PlistValue KeyedArchiveWriter::containerEntry(const ArchiveValue& value) {
    using Kind = ArchiveValue::Kind;
    PlistValue::Dictionary entry;
    if (value.kind() == Kind::array) {
        PlistValue::Array elements;
        for (const auto& element : value.elements()) elements.push_back(PlistValue::uid(encode(element)));
        entry.emplace_back("NS.objects", PlistValue::array(std::move(elements)));
    } else if (value.kind() == Kind::dictionary) {
        PlistValue::Array keys;
        PlistValue::Array objects;
        for (const auto& key : value.keys()) keys.push_back(PlistValue::uid(encode(key)));
        for (const auto& object : value.objects()) objects.push_back(PlistValue::uid(encode(object)));
        entry.emplace_back("NS.keys", PlistValue::array(std::move(keys)));
        entry.emplace_back("NS.objects", PlistValue::array(std::move(objects)));
    } else {
        for (const auto& [name, field] : value.fields()) entry.emplace_back(name, fieldValue(field));
    }
    entry.emplace_back("$class", PlistValue::uid(classReference(value.className())));
    return PlistValue::dictionary(std::move(entry));
}

PlistValue KeyedArchiveWriter::fieldValue(const ArchiveValue& value) {
    using Kind = ArchiveValue::Kind;
    switch (value.kind()) {
    case Kind::integer:
    case Kind::real:
    case Kind::boolean: return value.scalarPlist();
    case Kind::inlineValue: return value.plistValue();
    default: return PlistValue::uid(encode(value));
    }
}

std::uint64_t KeyedArchiveWriter::classReference(const std::string& className) {
    if (const auto found = classes_.find(className); found != classes_.end()) return found->second;
    const auto index = append(PlistValue::dictionary({
        {"$classes", PlistValue::array(classChain(className))},
        {"$classname", PlistValue::string(className)},
    }));
    classes_.emplace(className, index);
    return index;
}

std::uint64_t KeyedArchiveWriter::append(PlistValue object) {
    objects_.push_back(std::move(object));
    return objects_.size() - 1;
}

std::uint64_t KeyedArchiveWriter::reserve() { return append(PlistValue()); }

void KeyedArchiveWriter::replace(std::uint64_t index, PlistValue object) {
    if (index >= objects_.size()) throw std::out_of_range("no $objects entry at this index");
    objects_[index] = std::move(object);
}

PlistValue KeyedArchiveWriter::topLevel() const {
    if (!rootSet_) throw std::logic_error("KeyedArchiveWriter: the root was never set");
    return PlistValue::dictionary({
        {"$version", PlistValue::integer(100000)},
        {"$archiver", PlistValue::string("NSKeyedArchiver")},
        {"$top", PlistValue::dictionary({{"root", PlistValue::uid(kRootIndex)}})},
        {"$objects", PlistValue::array(objects_)},
    });
}

Bytes KeyedArchiveWriter::bytes(PlistFormat format) const { return topLevel().serialize(format); }

Bytes KeyedArchiveWriter::archive(const ArchiveValue& root, PlistFormat format) {
    KeyedArchiveWriter writer;
    writer.setRoot(root);
    return writer.bytes(format);
}

KeyedArchiveWriter::ScalarKey KeyedArchiveWriter::scalarKey(const ArchiveValue& value) {
    using Kind = ArchiveValue::Kind;
    switch (value.kind()) {
    case Kind::string: return {0, value.stringValue(), 0};
    case Kind::integer: return {1, {}, value.integerValue()};
    case Kind::real: return {2, {}, std::bit_cast<std::int64_t>(value.realValue())};
    case Kind::boolean: return {3, {}, value.booleanValue() ? 1 : 0};
    default: throw std::logic_error("not a scalar");
    }
}

}  // namespace quillo::testing
