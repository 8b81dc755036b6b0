// Draws the help pages images/korvo_Help_1.jpg .. korvo_Help_15.jpg from their text
// sources, and the station picture of the about box. A page whose text does not fit
// stops the build, so no help page is ever cut off.
// Usage: korvo_help_renderer HELP_FOLDER IMAGES_FOLDER
//
// Source format: files "NN-name.txt", NN the page number. The first line is the page
// title; then paragraphs separated by empty lines; "# " starts a heading, "- " a list
// item, and lines indented by two blanks are shown as typed (commands, file names).

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextDocument>

#include <cstdio>
#include <map>

namespace {

constexpr int kPageCount = 15;
constexpr int kWidth = 1160;
constexpr int kHeight = 725;
constexpr int kBand = 56;
constexpr int kMargin = 28;

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

// The page body as HTML; returns the title through the argument.
QString BodyHtml(const QStringList& lines, QString& title) {
    title = lines.value(0).trimmed();
    QString html;
    QString paragraph;
    QStringList list;
    QStringList typed;
    const auto flush = [&] {
        if (!paragraph.isEmpty()) html += QStringLiteral("<p>") + Escaped(paragraph) + QStringLiteral("</p>");
        if (!list.isEmpty()) {
            html += QStringLiteral("<ul>");
            for (const QString& item : list) html += QStringLiteral("<li>") + Escaped(item) + QStringLiteral("</li>");
            html += QStringLiteral("</ul>");
        }
        if (!typed.isEmpty()) {
            html += QStringLiteral("<pre>") + Escaped(typed.join(QLatin1Char('\n'))) + QStringLiteral("</pre>");
        }
        paragraph.clear();
        list.clear();
        typed.clear();
    };
    for (int i = 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.trimmed().isEmpty()) {
            flush();
        } else if (line.startsWith(QLatin1String("# "))) {
            flush();
            html += QStringLiteral("<h3>") + Escaped(line.mid(2).trimmed()) + QStringLiteral("</h3>");
        } else if (line.startsWith(QLatin1String("- "))) {
            if (!paragraph.isEmpty() || !typed.isEmpty()) flush();
            list << line.mid(2).trimmed();
        } else if (line.startsWith(QLatin1String("  "))) {
            if (!paragraph.isEmpty() || !list.isEmpty()) flush();
            typed << line.mid(2);
        } else {
            if (!typed.isEmpty() || !list.isEmpty()) flush();
            paragraph += (paragraph.isEmpty() ? QString() : QStringLiteral(" ")) + line.trimmed();
        }
    }
    flush();
    return html;
}

bool RenderPage(int number, const QString& source, const QString& target) {
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "korvo_help_renderer: cannot read %s\n", qPrintable(source));
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QString title;
    const QString html = BodyHtml(lines, title);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.fillRect(QRect(0, 0, kWidth, kBand), QColor(0, 0, 128));
    QFont heading(QStringLiteral("DejaVu Sans"));
    heading.setPixelSize(24);
    heading.setBold(true);
    p.setFont(heading);
    p.setPen(Qt::white);
    p.drawText(QRect(kMargin, 0, kWidth - 2 * kMargin, kBand), Qt::AlignLeft | Qt::AlignVCenter, title);
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(14);
    p.setFont(small);
    p.drawText(QRect(kMargin, 0, kWidth - 2 * kMargin, kBand), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("KORVO configurator help   %1 / %2").arg(number).arg(kPageCount));

    QTextDocument document;
    QFont body(QStringLiteral("DejaVu Sans"));
    body.setPixelSize(16);
    document.setDefaultFont(body);
    document.setDefaultStyleSheet(QStringLiteral(
        "h3 { color: #000080; font-size: 18px; margin-top: 8px; margin-bottom: 2px; }"
        "p { margin-top: 3px; margin-bottom: 5px; }"
        "pre { font-family: 'DejaVu Sans Mono'; font-size: 15px; color: #303030; margin-left: 18px; }"
        "li { margin-bottom: 2px; }"));
    document.setHtml(html);
    document.setTextWidth(kWidth - 2 * kMargin);
    const double room = kHeight - kBand - 2 * 14;
    if (document.size().height() > room) {
        std::fprintf(stderr, "korvo_help_renderer: %s is too long for one page (%d of %d pixels)\n",
                     qPrintable(source), static_cast<int>(document.size().height()), static_cast<int>(room));
        return false;
    }
    p.translate(kMargin, kBand + 14);
    document.drawContents(&p);
    p.end();
    if (!image.save(target, "JPG", 90)) {
        std::fprintf(stderr, "korvo_help_renderer: cannot write %s\n", qPrintable(target));
        return false;
    }
    return true;
}

// The about box's station: a coupler and a row of modules in their family colours.
QImage DrawAboutPicture() {
    QImage image(233, 105, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor families[] = {QColor(0, 0, 128),   QColor(0, 128, 0),   QColor(0, 128, 0),  QColor(192, 0, 0),
                               QColor(192, 0, 0),   QColor(0, 128, 128), QColor(128, 0, 128), QColor(128, 128, 0)};
    int x = 8;
    for (int i = 0; i < 8; ++i) {
        const int width = i == 0 ? 54 : 24;
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(214, 214, 214));
        p.drawRect(QRectF(x + 0.5, 12.5, width, 78));
        p.fillRect(QRectF(x + 1, 13, width - 1, 8), families[i]);
        p.fillRect(QRectF(x + 1, 68, width - 1, 22), QColor(120, 120, 120));
        p.setPen(Qt::NoPen);
        for (int led = 0; led < (i == 0 ? 3 : 4); ++led) {
            p.setBrush(led % 2 == 0 ? QColor(255, 220, 0) : QColor(60, 60, 60));
            p.drawEllipse(QRectF(x + 8, 27 + led * 9, 6, 6));
        }
        x += width + 1;
    }
    QFont brand(QStringLiteral("DejaVu Sans"));
    brand.setPixelSize(10);
    brand.setBold(true);
    p.setFont(brand);
    p.setPen(QColor(0, 0, 128));
    p.drawText(QRect(0, 92, 233, 12), Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("KORVO remote I/O"));
    p.end();
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvo_help_renderer HELP_FOLDER IMAGES_FOLDER\n");
        return 2;
    }
    const QDir sources(QString::fromLocal8Bit(argv[1]));
    const QDir images(QString::fromLocal8Bit(argv[2]));
    if (!images.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "korvo_help_renderer: cannot create %s\n", argv[2]);
        return 1;
    }
    std::map<int, QString> pages;
    const QRegularExpression name(QStringLiteral("^(\\d+)-.*\\.txt$"));
    for (const QString& entry : sources.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        const QRegularExpressionMatch match = name.match(entry);
        if (!match.hasMatch()) continue;
        const int number = match.captured(1).toInt();
        if (number < 1 || number > kPageCount || pages.count(number) != 0) {
            std::fprintf(stderr, "korvo_help_renderer: %s: page number out of range or taken twice\n",
                         qPrintable(entry));
            return 1;
        }
        pages[number] = sources.filePath(entry);
    }
    if (static_cast<int>(pages.size()) != kPageCount) {
        std::fprintf(stderr, "korvo_help_renderer: %d help pages found in %s, %d needed\n",
                     static_cast<int>(pages.size()), argv[1], kPageCount);
        return 1;
    }
    for (const auto& [number, source] : pages) {
        if (!RenderPage(number, source, images.filePath(QStringLiteral("korvo_Help_%1.jpg").arg(number)))) return 1;
    }
    if (!DrawAboutPicture().save(images.filePath(QStringLiteral("korvo_about.jpg")), "JPG", 92)) {
        std::fprintf(stderr, "korvo_help_renderer: cannot write the about picture\n");
        return 1;
    }
    std::printf("%d help pages and the about picture written to %s\n", kPageCount, argv[2]);
    return 0;
}
