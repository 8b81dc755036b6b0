#pragma once
// The owner-drawn type list ListModule: one line per catalogue section, each in its
// catalogue colour; a click on a line places a module of that type.

#include <QListWidget>
#include <QStyledItemDelegate>

#include <cstdint>
#include <string>
#include <vector>

namespace korvo {

class TypeListDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int kLineHeight = 13;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TypeList : public QListWidget {
    Q_OBJECT
public:
    explicit TypeList(QWidget* parent);
    // lines are the catalogue's section names (Windows-1252), colours 0x00BBGGRR.
    void SetLines(const std::vector<std::string>& lines, const std::vector<std::uint32_t>& colours);
    const std::string& Line(int row) const { return lines_[static_cast<std::size_t>(row)]; }

Q_SIGNALS:
    void lineClicked(int row);

private:
    std::vector<std::string> lines_;
};

// 0x00BBGGRR as the catalogue stores colours.
QColor ColourFromBgr(std::uint32_t bgr);

}  // namespace korvo
