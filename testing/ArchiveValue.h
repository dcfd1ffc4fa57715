#pragma once

#include "testing/PlistValue.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quillo::testing {

// One object of a keyed archive before it is archived: a string, number, Boolean or data value, an
// archived array or dictionary, an archived object of any class, or a deliberately odd piece (a bare
// reference, a raw "$objects" entry, an inline value).
//
// Identity: copies share one node, and KeyedArchiveWriter archives a node once however often it is
// referenced, so placing one value in two containers makes a shared reference. Strings, integers,
// reals and Booleans are archived once per distinct value instead.
class ArchiveValue {
public:
    using Entries = std::vector<std::pair<std::string, ArchiveValue>>;

    enum class Kind {
        null,  // the reference to "$null" at index 0
        string,
        integer,
        real,
        boolean,
        data,
        array,        // "NS.objects" and "$class"
        dictionary,   // "NS.keys", "NS.objects" and "$class"
        object,       // "$class" and one entry per field
        reference,    // a reference to an index as given, with nothing archived for it
        rawObject,    // a "$objects" entry exactly as given
        inlineValue,  // a field value written in place instead of by reference (only inside an object)
    };

    ArchiveValue();  // null
    ArchiveValue(const char* value);
    ArchiveValue(std::string value);
    ArchiveValue(int value);
    ArchiveValue(long value);
    ArchiveValue(long long value);
    ArchiveValue(double value);
    ArchiveValue(bool value);

    static ArchiveValue null();
    static ArchiveValue data(Bytes value);
    static ArchiveValue array(std::vector<ArchiveValue> elements, std::string className = "NSArray");
    static ArchiveValue dictionary(Entries entries, std::string className = "NSDictionary");
    // Keys of any kind and lists of any lengths: for archives that readers must survive.
    static ArchiveValue dictionaryWithLists(std::vector<ArchiveValue> keys, std::vector<ArchiveValue> objects,
                                            std::string className = "NSDictionary");
    // Integer, real and Boolean fields are written inline, as an archiver encodes scalars; every other
    // field is a reference.
    static ArchiveValue object(std::string className, Entries fields);
    static ArchiveValue mutableString(std::string text);  // {"NS.string": text} of class NSMutableString
    static ArchiveValue reference(std::uint64_t index);
    static ArchiveValue rawObject(PlistValue object);
    static ArchiveValue inlineValue(PlistValue value);

    Kind kind() const noexcept;
    bool isScalar() const noexcept;  // string, integer, real or Boolean

    // Each accessor requires the matching kind (std::logic_error otherwise).
    const std::string& stringValue() const;
    std::int64_t integerValue() const;
    double realValue() const;
    bool booleanValue() const;
    const Bytes& dataValue() const;
    const std::vector<ArchiveValue>& elements() const;  // array
    const std::vector<ArchiveValue>& keys() const;      // dictionary
    const std::vector<ArchiveValue>& objects() const;   // dictionary
    const Entries& fields() const;                      // object
    const std::string& className() const;               // array, dictionary, object
    std::uint64_t referenceIndex() const;
    const PlistValue& plistValue() const;  // rawObject, inlineValue

    // The value as a plain property-list object (strings, numbers, Booleans and data only).
    PlistValue scalarPlist() const;
    // Same node: archived once.
    const void* identity() const noexcept { return node_.get(); }

private:
    struct Node;
    explicit ArchiveValue(std::shared_ptr<const Node> node);

    const Node& node() const noexcept { return *node_; }

    std::shared_ptr<const Node> node_;
};

}  // namespace quillo::testing
