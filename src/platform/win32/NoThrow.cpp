// The program catches no exception, so anything the standard library would throw ends it.
// These replacements end it at once, as the terminate handler would after the throw, and
// keep the library's exception classes and their copy-on-write strings (about 85 KB) out of
// the exe. Linked into varnel.exe only.
#include <cstdlib>
#include <new>
#include <string>

// A window program has no console for the verbose handler's message, and the handler
// would bring the name demangler (about 50 KB) into the exe: end the process plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

// The library's version throws std::bad_alloc; its operator delete calls free().
void* operator new(std::size_t size) {
    if (void* block = std::malloc(size != 0 ? size : 1)) {
        return block;
    }
    std::abort();
}

// All the throw helpers of the library's object that defines them: with one missing, that
// object would be linked in beside these for it.
namespace std {
void __throw_bad_exception() {
    abort();
}
void __throw_bad_alloc() {
    abort();
}
void __throw_bad_array_new_length() {
    abort();
}
void __throw_bad_cast() {
    abort();
}
void __throw_bad_typeid() {
    abort();
}
void __throw_logic_error(const char*) {
    abort();
}
void __throw_domain_error(const char*) {
    abort();
}
void __throw_invalid_argument(const char*) {
    abort();
}
void __throw_length_error(const char*) {
    abort();
}
void __throw_out_of_range(const char*) {
    abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    abort();
}
void __throw_runtime_error(const char*) {
    abort();
}
void __throw_range_error(const char*) {
    abort();
}
void __throw_overflow_error(const char*) {
    abort();
}
void __throw_underflow_error(const char*) {
    abort();
}
}  // namespace std
