// Marks the functions of every cyclic exchange, so that the compiler keeps
// them together in the library's code and an exchange touches few of its
// pages and cache lines.
#pragma once

#if defined(__GNUC__)
#define QUORRIN_HOT [[gnu::hot]]
#else
#define QUORRIN_HOT
#endif
