#pragma once
// The rows of a CSV text whose rows end in CR LF, as the trend and event files write
// them; a text that ends inside a row fails the test.

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvo::testing {

inline std::vector<std::string> CrlfLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "the text ends inside a row";
    return lines;
}

}  // namespace korvo::testing
