#include "common/Error.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

namespace qs {

std::string describeError(int number) {
    switch (number) {
    case err::InvalidCall:
        return "Invalid procedure call or argument";
    case err::Overflow:
        return "Overflow";
    case err::OutOfMemory:
        return "Out of memory";
    case err::SubscriptOutOfRange:
        return "Subscript out of range";
    case err::TypeMismatch:
        return "Type mismatch";
    case err::FileNotFound:
        return "File not found";
    case err::PermissionDenied:
        return "Permission denied";
    case err::PathFileAccess:
        return "Path/File access error";
    case err::PathNotFound:
        return "Path not found";
    default:
        return "Application-defined or object-defined error";
    }
}

void raise(int number, const std::string& detail) {
    std::string text = describeError(number);
    if (!detail.empty())
        text += " (" + detail + ")";
    throw Error(number, text);
}

int errorNumberFromErrno(int e) {
    switch (e) {
    case ENOENT:
        return err::FileNotFound;
    case ENOTDIR:
        return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
        return err::PermissionDenied;
    case ENOMEM:
        return err::OutOfMemory;
    default:
        return err::PathFileAccess;
    }
}

TrappedError describeCurrentException(std::exception_ptr ex) {
    try {
        std::rethrow_exception(ex);
    } catch (const Error& e) {
        return {e.number(), e.description()};
    } catch (const std::filesystem::filesystem_error& e) {
        const int number = errorNumberFromErrno(e.code().value());
        return {number, describeError(number) + " (" + e.code().message() + ")"};
    } catch (const std::system_error& e) {
        const int number = errorNumberFromErrno(e.code().value());
        return {number, describeError(number) + " (" + e.code().message() + ")"};
    } catch (const std::bad_alloc&) {
        return {err::OutOfMemory, describeError(err::OutOfMemory)};
    } catch (const std::out_of_range&) {
        return {err::SubscriptOutOfRange, describeError(err::SubscriptOutOfRange)};
    } catch (const std::exception& e) {
        return {err::InvalidCall, describeError(err::InvalidCall) + " (" + e.what() + ")"};
    } catch (...) {
        return {err::InvalidCall, describeError(err::InvalidCall)};
    }
}

} // namespace qs
