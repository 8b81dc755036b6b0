#pragma once
// What the PDF commands need before they paint: fonts and a painter, never a screen.
// Without a platform chosen by the user the offscreen one serves, so `korvo plan --pdf`
// and `korvo report --pdf` run without a display.

#include <QGuiApplication>

#include <memory>

namespace korvo {

// The application the painting needs; null when the program has one already.
std::unique_ptr<QGuiApplication> PaintingApplication();

}  // namespace korvo
