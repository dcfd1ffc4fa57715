#pragma once

#include <stdexcept>
#include <string>
#include <typeinfo>
#include <utility>

namespace quillo::testing {

// What `thrownBy` throws when the body throws nothing: the test stops there and reports it.
struct NothingThrown : std::logic_error {
    using std::logic_error::logic_error;
};

// The `Error` that `body` throws, for the checks that follow. Throwing nothing throws NothingThrown;
// an exception of another type leaves as it came. Either way the test fails where it stands.
template <class Error, class Body>
Error thrownBy(Body&& body) {
    try {
        std::forward<Body>(body)();
    } catch (const Error& error) {
        return error;
    }
    throw NothingThrown(std::string("expected an exception of type ") + typeid(Error).name() + ", none was thrown");
}

}  // namespace quillo::testing
