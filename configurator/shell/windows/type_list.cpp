#include "type_list.h"

#include "ui/cp1252_text.h"

#include <QPainter>

namespace korvo {

namespace {
constexpr int kTextIndent = 8;
constexpr int kColourRole = Qt::UserRole + 1;
}  // namespace

QColor ColourFromBgr(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
}

void TypeListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
    painter->setFont(option.font);
    painter->setPen(index.data(kColourRole).value<QColor>());
    const QRect text = option.rect.adjusted(kTextIndent, 0, 0, 0);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
}

QSize TypeListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kLineHeight);
}

TypeList::TypeList(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("ListModule"));
    setItemDelegate(new TypeListDelegate(this));
    setUniformItemSizes(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::white);
    setPalette(palette);
    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(11);
    setFont(bold);
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { Q_EMIT lineClicked(row(item)); });
    // The second click of a quick pair arrives as a double click, without a click of its own.
    connect(this, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) { Q_EMIT lineClicked(row(item)); });
}

void TypeList::SetLines(const std::vector<std::string>& lines, const std::vector<std::uint32_t>& colours) {
    clear();
    lines_ = lines;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto* item = new QListWidgetItem(ToQString(lines[i]), this);
        item->setData(kColourRole, ColourFromBgr(i < colours.size() ? colours[i] : 0));
    }
}

}  // namespace korvo
