#pragma once

// The messages of the library's error lines that more than one command writes, each once. The
// camera interface's own spelling stands where it is part of the output ("reponse").

namespace Ptz::Message {

inline constexpr char kHttpGetFailed[] = "Fail to complete http get.";
inline constexpr char kHttpRequestFailed[] = "Fail to complete http request.";
// Followed by the answer and ".".
inline constexpr char kNotXml[] = "Fail to parse reponse data, response data: ";
inline constexpr char kNotOk[] = "Fail to get node name in xml, response data: ";

inline constexpr char kBadPresetId[] = "Please input a preset id of 1 or more.";
inline constexpr char kBadCoordinate[] = "Please input picture coordinates from 0 to 1.";
inline constexpr char kBadTourId[] = "Please input a patrol or pattern id of 1 or more.";
inline constexpr char kCancelled[] = "The operation was cancelled.";
inline constexpr char kPendingOnEngine[] =
    "The camera has operations pending on an engine; a blocking call waits until they end.";
inline constexpr char kOtherEngine[] =
    "The camera has operations pending on another engine; submit to that one.";

}  // namespace Ptz::Message
