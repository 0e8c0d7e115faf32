#pragma once

#include <cstddef>

namespace Utils {

// The write callback that HttpClient installs; internal to the library. Appends the chunk to
// the std::string behind userdata and confirms nmemb bytes; a null pointer makes it refuse the
// chunk with the all-ones value, which aborts the transfer.
size_t onWriteData(void* ptr, size_t size, size_t nmemb, void* userdata);

}  // namespace Utils
