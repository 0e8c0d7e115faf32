#pragma once

/** The library builds with hidden visibility; this marks what it promises to hosts. */
#define ZELKO_PTZ_API __attribute__((visibility("default")))

/** Members of an exported class that hosts cannot call stay out of the symbol table. */
#define ZELKO_PTZ_LOCAL __attribute__((visibility("hidden")))
