#include "testing/ArchiveValue.h"

#include <stdexcept>
#include <variant>

namespace quillo::testing {

struct ArchiveValue::Node {
    struct Lists {
        std::vector<ArchiveValue> keys;
        std::vector<ArchiveValue> objects;
    };
    using Payload = std::variant<std::monostate, std::string, std::int64_t, double, bool, Bytes,
                                 std::vector<ArchiveValue>, Lists, Entries, std::uint64_t, PlistValue>;

    Kind kind;
    Payload payload;
    std::string className;
};

namespace {

[[noreturn]] void wrongKind(const char* accessor) {
    throw std::logic_error(std::string("ArchiveValue::") + accessor + " on a value of another kind");
}

}  // namespace

ArchiveValue::ArchiveValue(std::shared_ptr<const Node> node) : node_(std::move(node)) {}

ArchiveValue::ArchiveValue() : ArchiveValue(std::make_shared<const Node>(Node{Kind::null, {}, {}})) {}
ArchiveValue::ArchiveValue(const char* value) : ArchiveValue(std::string(value)) {}
ArchiveValue::ArchiveValue(std::string value)
    : ArchiveValue(std::make_shared<const Node>(Node{Kind::string, std::move(value), {}})) {}
ArchiveValue::ArchiveValue(int value) : ArchiveValue(static_cast<long long>(value)) {}
ArchiveValue::ArchiveValue(long value) : ArchiveValue(static_cast<long long>(value)) {}
ArchiveValue::ArchiveValue(long long value)
    : ArchiveValue(std::make_shared<const Node>(Node{Kind::integer, std::int64_t{value}, {}})) {}
ArchiveValue::ArchiveValue(double value) : ArchiveValue(std::make_shared<const Node>(Node{Kind::real, value, {}})) {}
ArchiveValue::ArchiveValue(bool value) : ArchiveValue(std::make_shared<const Node>(Node{Kind::boolean, value, {}})) {}

ArchiveValue ArchiveValue::null() { return ArchiveValue(); }

ArchiveValue ArchiveValue::data(Bytes value) {
    return ArchiveValue(std::make_shared<const Node>(Node{Kind::data, std::move(value), {}}));
}

ArchiveValue ArchiveValue::array(std::vector<ArchiveValue> elements, std::string className) {
    return ArchiveValue(std::make_shared<const Node>(Node{Kind::array, std::move(elements), std::move(className)}));
}

ArchiveValue ArchiveValue::dictionary(Entries entries, std::string className) {
    Node::Lists lists;
    for (auto& [key, value] : entries) {
        lists.keys.emplace_back(std::move(key));
        lists.objects.push_back(std::move(value));
    }
    return ArchiveValue(std::make_shared<const Node>(Node{Kind::dictionary, std::move(lists), std::move(className)}));
}

ArchiveValue ArchiveValue::dictionaryWithLists(std::vector<ArchiveValue> keys, std::vector<ArchiveValue> objects,
                                               std::string className) {
    return ArchiveValue(std::make_shared<const Node>(
        Node{Kind::dictionary, Node::Lists{std::move(keys), std::move(objects)}, std::move(className)}));
}

ArchiveValue ArchiveValue::object(std::string className, Entries fields) {
    return ArchiveValue(std::make_shared<const Node>(Node{Kind::object, std::move(fields), std::move(className)}));
}

ArchiveValue ArchiveValue::mutableString(std::string text) {
    return object("NSMutableString", {{"NS.string", inlineValue(PlistValue::string(std::move(text)))}});
}

ArchiveValue ArchiveValue::reference(std::uint64_t index) {
    return ArchiveValue(std::make_shared<const Node>(Node{Kind::reference, index, {}}));
}

ArchiveValue ArchiveValue::rawObject(PlistValue object) {
    return ArchiveValue(std::make_shared<const Node>(Node{Kind::rawObject, std::move(object), {}}));
}

ArchiveValue ArchiveValue::inlineValue(PlistValue value) {
    return ArchiveValue(std::make_shared<const Node>(Node{Kind::inlineValue, std::move(value), {}}));
}

ArchiveValue::Kind ArchiveValue::kind() const noexcept { return node().kind; }

bool ArchiveValue::isScalar() const noexcept {
    const auto k = kind();
    return k == Kind::string || k == Kind::integer || k == Kind::real || k == Kind::boolean;
}

const std::string& ArchiveValue::stringValue() const {
    if (kind() != Kind::string) wrongKind("stringValue");
    return std::get<std::string>(node().payload);
}

std::int64_t ArchiveValue::integerValue() const {
    if (kind() != Kind::integer) wrongKind("integerValue");
    return std::get<std::int64_t>(node().payload);
}

double ArchiveValue::realValue() const {
    if (kind() != Kind::real) wrongKind("realValue");
    return std::get<double>(node().payload);
}

bool ArchiveValue::booleanValue() const {
    if (kind() != Kind::boolean) wrongKind("booleanValue");
    return std::get<bool>(node().payload);
}

const Bytes& ArchiveValue::dataValue() const {
    if (kind() != Kind::data) wrongKind("dataValue");
    return std::get<Bytes>(node().payload);
}

const std::vector<ArchiveValue>& ArchiveValue::elements() const {
    if (kind() != Kind::array) wrongKind("elements");
    return std::get<std::vector<ArchiveValue>>(node().payload);
}

const std::vector<ArchiveValue>& ArchiveValue::keys() const {
    if (kind() != Kind::dictionary) wrongKind("keys");
    return std::get<Node::Lists>(node().payload).keys;
}

const std::vector<ArchiveValue>& ArchiveValue::objects() const {
    if (kind() != Kind::dictionary) wrongKind("objects");
    return std::get<Node::Lists>(node().payload).objects;
}

const ArchiveValue::Entries& ArchiveValue::fields() const {
    if (kind() != Kind::object) wrongKind("fields");
    return std::get<Entries>(node().payload);
}

const std::string& ArchiveValue::className() const {
    const auto k = kind();
    if (k != Kind::array && k != Kind::dictionary && k != Kind::object) wrongKind("className");
    return node().className;
}

std::uint64_t ArchiveValue::referenceIndex() const {
    if (kind() != Kind::reference) wrongKind("referenceIndex");
    return std::get<std::uint64_t>(node().payload);
}

const PlistValue& ArchiveValue::plistValue() const {
    if (kind() != Kind::rawObject && kind() != Kind::inlineValue) wrongKind("plistValue");
    return std::get<PlistValue>(node().payload);
}

PlistValue ArchiveValue::scalarPlist() const {
    switch (kind()) {
    case Kind::string: return PlistValue::string(stringValue());
    case Kind::integer: return PlistValue::integer(integerValue());
    case Kind::real: return PlistValue::real(realValue());
    case Kind::boolean: return PlistValue::boolean(booleanValue());
    case Kind::data: return PlistValue::data(dataValue());
    default: wrongKind("scalarPlist");
    }
}

}  // namespace quillo::testing
