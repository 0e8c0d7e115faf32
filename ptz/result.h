#pragma once

#include "../utils/export.h"

namespace Ptz {

/// The result codes the camera methods return as int, and those of the C interface, named.
enum class Result : int {
    Ok = 0,              ///< success
    TransferFailed = 1,  ///< the HTTP transfer did not complete
    NotXml = 2,          ///< the answer is not well-formed XML
    NotNumbers = 3,      ///< C and engines: a position answer's texts are not numbers, or too big
    TimedOut = 5,        ///< wait_for_stop(): the camera was still moving at the time-out
    Cancelled = 6,       ///< cancelled on an engine, or a blocking call given up
    Rejected = 10,       ///< the camera did not answer "OK", or an argument or option refused
    NullArgument = 20,   ///< C only: a NULL handle or pointer
    OutOfMemory = 21,    ///< C and engines: memory ran out
    ListTooSmall = 22,   ///< C only: more entries than the caller's array holds
    Unexpected = 23,     ///< C, and an engine's callbacks: something else was thrown
};

/// One result code with its name and a description for people.
struct ResultInfo {
    Result code;       ///< the code
    const char* name;  ///< as in Result: "TransferFailed"
    const char* text;  ///< "the HTTP transfer did not complete"
};

/// Every result code, in ascending order.
inline constexpr ResultInfo kResults[] = {
    {Result::Ok, "Ok", "success"},
    {Result::TransferFailed, "TransferFailed", "the HTTP transfer did not complete"},
    {Result::NotXml, "NotXml", "the answer is not well-formed XML"},
    {Result::NotNumbers, "NotNumbers", "the position answer is not numbers"},
    {Result::TimedOut, "TimedOut", "the camera was still moving at the time-out"},
    {Result::Cancelled, "Cancelled", "the operation was cancelled"},
    {Result::Rejected, "Rejected",
     "the camera did not answer OK, or an argument or option was refused"},
    {Result::NullArgument, "NullArgument", "a NULL handle or pointer"},
    {Result::OutOfMemory, "OutOfMemory", "out of memory"},
    {Result::ListTooSmall, "ListTooSmall", "more entries than the array holds"},
    {Result::Unexpected, "Unexpected", "an unexpected exception, such as from an error sink"},
};

/// How the line of NotNumbers begins for texts that are not numbers; what the conversion names
/// ("stof") and ")." follow.
inline constexpr char kNotNumbersLine[] = "The camera's position answer is not numbers (";
/// The same for numbers out of range.
inline constexpr char kOutOfRangeLine[] = "The camera's position answer is out of range (";

/// The description of `code`, from kResults; "unknown result code" for any other.
ZELKO_PTZ_API const char* result_text(int code);

/// The library's version, such as "1.2.0".
ZELKO_PTZ_API const char* version();

}  // namespace Ptz
