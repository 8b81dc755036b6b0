#pragma once
// Which help page the viewer shows: pages 1..15, paging wraps round at both ends,
// other windows open the viewer at the page that concerns them.

#include <filesystem>
#include <string>

namespace korvo {

class HelpPages {
public:
    static constexpr int kPageCount = 15;
    // The pages the openers of the viewer start at.
    static constexpr int kMainMenuPage = 1;
    static constexpr int kBootpPage = 9;
    static constexpr int kDiagnosisPage = 10;

    int Page() const { return page_; }
    void Previous() { page_ = page_ <= 1 ? kPageCount : page_ - 1; }
    void Next() { page_ = page_ >= kPageCount ? 1 : page_ + 1; }
    // A page outside 1..15 opens the nearest one.
    void OpenAt(int page) { page_ = page < 1 ? 1 : (page > kPageCount ? kPageCount : page); }
    // "Page 3", the text of the viewer's bar.
    std::string Caption() const { return "Page " + std::to_string(page_); }
    // images/korvo_Help_<n>.jpg in the program folder.
    static std::filesystem::path PageFile(const std::string& programFolder, int page) {
        return std::filesystem::path(programFolder) / "images" / ("korvo_Help_" + std::to_string(page) + ".jpg");
    }

private:
    int page_ = 1;
};

}  // namespace korvo
