#pragma once
// The main window's online log. While held (during an I/O cycle) its lines are
// collected and go into the log as one block, so the log lays itself out once
// per cycle instead of once per line; the text is the same.

#include <QString>
#include <QStringList>

class QPlainTextEdit;

namespace korvo {

class OnlineLog {
public:
    explicit OnlineLog(QPlainTextEdit* memo) : memo_(memo) {}

    void Clear();
    void Add(const QString& line);
    void Hold() { holding_ = true; }
    // Puts the collected lines into the log now, holding on (before a box that waits).
    void Flush();
    void Release();

private:
    QPlainTextEdit* memo_;
    bool holding_ = false;
    QStringList held_;
};

}  // namespace korvo
