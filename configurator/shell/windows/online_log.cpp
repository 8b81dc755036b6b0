#include "shell/windows/online_log.h"

#include <QPlainTextEdit>

namespace korvo {

void OnlineLog::Clear() {
    held_.clear();
    memo_->clear();
}

void OnlineLog::Add(const QString& line) {
    if (holding_) {
        held_ << line;
    } else {
        memo_->appendPlainText(line);
    }
}

void OnlineLog::Flush() {
    if (held_.isEmpty()) return;
    memo_->appendPlainText(held_.join(QLatin1Char('\n')));
    held_.clear();
}

void OnlineLog::Release() {
    Flush();
    holding_ = false;
}

}  // namespace korvo
