// What the shipped binaries take from the C++ runtime instead of the library's own, so
// that its larger parts stay out of them (linked into tovak.dll and TovakSetup.exe
// only; the test programs keep the library's versions).
//
// - The library's default terminate handler prints the active exception's demangled
//   type to stderr, which pulls in the whole demangler (about 45 KB). Neither program
//   has a console, and no exception is meant to reach terminate: abort at once.
// - Each container and string reports a failure through one of the std::__throw_*
//   functions. The library's versions all live in one object that also builds
//   std::logic_error and friends, whose messages are reference-counted strings of the
//   old ABI: a second full std::string (about 45 KB). Here a request too large for
//   memory is the std::bad_alloc it amounts to, and a misuse of the library is a plain
//   exception that carries its message as a literal. Callers catch either at the
//   boundary every entry point has.
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

namespace {

class LibraryMisuse final : public std::exception {
public:
    explicit LibraryMisuse(const char* what) noexcept : what_(what) {}
    const char* what() const noexcept override { return what_; }

private:
    const char* what_;
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
[[noreturn]] void __throw_bad_alloc() { throw std::bad_alloc(); }
[[noreturn]] void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
[[noreturn]] void __throw_length_error(const char*) { throw std::bad_array_new_length(); }
[[noreturn]] void __throw_logic_error(const char* what) { throw LibraryMisuse(what); }
[[noreturn]] void __throw_out_of_range_fmt(const char* what, ...) { throw LibraryMisuse(what); }
}  // namespace std
