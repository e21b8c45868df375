#pragma once

#include <exception>
#include <functional>
#include <string>

namespace ondrix::app {

// Errors nothing else handled are not fatal: their message goes to the error
// handler (the main window's display) and the program goes on. Errors raised
// off the GUI thread, or with no handler installed, go to standard error.

// `origin` names where the error came from when that helps ("/amp=abc" for a
// start-up switch), or is empty.
using TErrorHandler = std::function<void(const std::string& message, const std::string& origin)>;

// Installs the receiver of unhandled error messages (GUI thread only).
void SetErrorHandler(const void* owner, TErrorHandler handler);
// Removes the handler if `owner` installed it.
void ClearErrorHandler(const void* owner);

// The message of an exception ("Unknown error" for one that is no std::exception).
std::string ErrorMessage(std::exception_ptr error);

// Reports an exception that nothing else handled.
void ReportError(std::exception_ptr error, const std::string& origin = {});

// The line written to standard error for an error: "ondrix: origin: message".
std::string ErrorLine(const std::string& message, const std::string& origin);

// Runs `action` and reports an exception escaping it.
template <typename Action> void Guarded(Action&& action)
{
    try {
        action();
    } catch (...) {
        ReportError(std::current_exception());
    }
}

} // namespace ondrix::app
