#pragma once

#include "BrimlockCore/Database/FCPDatabaseError.h"
#include "BrimlockCore/PropertyList/BlobDecoderError.h"
#include "BrimlockCore/PropertyList/PropertyListError.h"
#include "BrimlockCore/XML/XMLSecurityError.h"

#include <new>
#include <utility>

namespace brimlock {

// The one list of what reading a damaged store raises: the library's own read errors (SQLite's,
// the blob decoder's, the property-list readers', the XML entity guard's) and running out of memory,
// which the absurd counts of a damaged store can demand. Everything else is a fault of ours and
// passes through.
//
// `read()`, or `fallback` when the store turned out damaged. Used where a failing read drops
// something (a library, an event, a timeline, one child) and the read goes on without it.
template <class Read, class Fallback>
auto whenStoreReadable(Read&& read, Fallback&& fallback) -> decltype(read()) {
    try {
        return std::forward<Read>(read)();
    } catch (const FCPDatabaseError&) {
    } catch (const BlobDecoderError&) {
    } catch (const PropertyListError&) {
    } catch (const XMLSecurityError&) {
    } catch (const std::bad_alloc&) {
    }
    return std::forward<Fallback>(fallback);
}

// For reads that return nothing: false when the store turned out damaged.
template <class Read>
bool whenStoreReadable(Read&& read) {
    return whenStoreReadable(
        [&] {
            std::forward<Read>(read)();
            return true;
        },
        false);
}

}  // namespace brimlock
