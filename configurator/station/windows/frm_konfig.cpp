#include "frm_konfig.h"

#include "module_drawing.h"
#include "ui/cp1252_text.h"
#include "ui/message_box.h"
#include "ui/picture_file.h"
#include "docs/module_inspector.h"
#include "station/catalogue.h"
#include "station/station_layout.h"
#include "station/view_clicks.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QMessageBox>
#include <QPixmap>
#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <utility>

namespace korvo {

namespace {

ProfileFile LoadCatalogue(const std::filesystem::path& path) {
    // A catalogue that cannot be read leaves every module at the catalogue defaults,
    // as a missing one does; the type list already showed the problem.
    try {
        return ProfileFile::Load(path);
    } catch (const ProfileError&) {
        return ProfileFile{};
    }
}

}  // namespace

StationBackground::StationBackground(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PaForm"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0xA0, 0xA0, 0xA0));
    setPalette(palette);
}

void StationBackground::mousePressEvent(QMouseEvent*) { Q_EMIT clicked(); }

TfrmKonfig::TfrmKonfig(AppState& state, QWidget* parent)
    : QScrollArea(parent),
      state_(state),
      catalogueIni_(LoadCatalogue(state.CatalogueFile())),
      model_(&catalogueIni_, state.ProgramFolder, this),
      paForm_(new StationBackground(this)) {
    setObjectName(QStringLiteral("frmKonfig"));
    setWindowTitle(QStringLiteral("Konfiguration"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(false);
    setWidget(paForm_);
    setFocusPolicy(Qt::StrongFocus);
    connect(paForm_, &StationBackground::clicked, this, [this] { ClickEmptyView(model_); });
    ApplyScale();
}

TfrmKonfig::~TfrmKonfig() {
    // The model outlives nothing of the view: stop it from calling back while it dies.
    model_.SetUi(nullptr);
}

void TfrmKonfig::MarkOverBudget(const std::set<int>& couplerSlots) {
    for (const auto& [module, panel] : panels_) panel->SetOverBudget(couplerSlots.count(panel->Slot()) != 0);
}

ModulePanel* TfrmKonfig::Panel(int slot) const {
    const TModul* module = model_.Module(slot);
    if (module == nullptr) return nullptr;
    const auto it = panels_.find(module);
    return it == panels_.end() ? nullptr : it->second;
}

double TfrmKonfig::Scale() const {
    switch (state_.Zoom.ZoomLevel) {
        case 1: return 2.0;
        case 3: return 0.5;
        default: return 1.0;
    }
}

void TfrmKonfig::StepSmaller() {
    if (state_.Zoom.StepSmaller() != 1.0) ApplyScale();
    Q_EMIT zoomChanged();
}

void TfrmKonfig::StepLarger() {
    if (state_.Zoom.StepLarger() != 1.0) ApplyScale();
    Q_EMIT zoomChanged();
}

void TfrmKonfig::ToggleArrangement() {
    korvo::ToggleArrangement(state_);
    ScrollToOrigin();
    if (state_.Zoom.ZoomActive) ResetZoom();
    ArrangeModules(model_.ModuleCount);
}

void TfrmKonfig::HandleKey(int key, Qt::KeyboardModifiers modifiers) {
    const int current = model_.CurrentModule;
    switch (key) {
        case Qt::Key_Delete: model_.DeleteCurrent(); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (model_.Module(current) != nullptr) Q_EMIT propertiesRequested(current);
            return;
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Right:
        case Qt::Key_Down: break;
        default: return;
    }
    const int step = key == Qt::Key_Left || key == Qt::Key_Up ? -1 : 1;
    if (model_.Module(current) == nullptr) {
        if (model_.ModuleCount > 0) Select(step > 0 ? 1 : model_.ModuleCount);
        return;
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        model_.MoveModule(current, current + step);
        if (model_.CurrentModule != current) Q_EMIT moduleSelected(model_.CurrentModule);
        return;
    }
    if (model_.Module(current + step) != nullptr) Select(current + step);
}

void TfrmKonfig::Select(int slot) {
    const std::vector<std::string> dump = SelectModule(model_, slot, true, state_.DebugShown);
    if (!dump.empty()) {
        QStringList lines;
        for (const std::string& line : dump) lines << ToQString(line);
        Q_EMIT moduleDumped(lines);
    }
    if (ModulePanel* panel = Panel(slot)) ensureWidgetVisible(panel);
    Q_EMIT moduleSelected(slot);
}

void TfrmKonfig::keyPressEvent(QKeyEvent* event) {
    HandleKey(event->key(), event->modifiers());
    event->accept();
}

bool TfrmKonfig::eventFilter(QObject* watched, QEvent* event) {
    auto* picture = qobject_cast<ModulePicture*>(watched);
    auto* panel = picture != nullptr ? qobject_cast<ModulePanel*>(picture->parentWidget()) : nullptr;
    if (panel == nullptr) return QScrollArea::eventFilter(watched, event);
    if (event->type() == QEvent::ToolTip) {
        // Made when asked for: the addresses depend on every module in front.
        const std::string text = ModuleInspectorText(model_, panel->Slot());
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), ToQString(text), picture);
        return true;
    }
    // Dragging a module onto another of its station moves it there.
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        dragFrom_ = panel->Slot();
        dragStart_ = mouse->globalPosition().toPoint();
    } else if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton && dragFrom_ > 0) {
        const int from = std::exchange(dragFrom_, 0);
        const QPoint at = mouse->globalPosition().toPoint();
        if ((at - dragStart_).manhattanLength() >= QApplication::startDragDistance()) {
            for (QWidget* w = paForm_->childAt(paForm_->mapFromGlobal(at)); w != nullptr; w = w->parentWidget()) {
                auto* target = qobject_cast<ModulePanel*>(w);
                if (target == nullptr) continue;
                if (model_.MoveModule(from, target->Slot())) Q_EMIT moduleSelected(model_.CurrentModule);
                break;
            }
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

void TfrmKonfig::ModuleCreated(int slot, TModul& module, bool visible) {
    auto* panel = new ModulePanel(paForm_);
    panel->SetSlot(slot);
    panel->RenameLeds();
    panels_[&module] = panel;
    connect(panel->Picture(), &ModulePicture::pressed, this,
            [this, panel](Qt::MouseButton button, QPoint position) { PicturePressed(panel, button, position); });
    panel->Picture()->installEventFilter(this);
    connect(panel->Picture(), &ModulePicture::doubleClicked, this, [this, panel] {
        model_.CurrentModule = panel->Slot();
        Q_EMIT propertiesRequested(panel->Slot());
    });
    for (int i = 1; i <= ModulePanel::kLedCount; ++i) {
        connect(panel->Led(i), &LedShape::pressed, this, [this](LedShape* led, Qt::MouseButton) { LedPressed(led); });
    }
    panel->setVisible(visible);
}

void TfrmKonfig::ModuleRemoved(TModul& module) {
    const auto it = panels_.find(&module);
    if (it == panels_.end()) return;
    ModulePanel* panel = it->second;
    panels_.erase(it);
    // Out of the view at once, so its names are free for the panel that takes the slot;
    // deleted later, as the removal can come from inside one of its own event handlers.
    panel->hide();
    panel->setParent(nullptr);
    panel->deleteLater();
}

void TfrmKonfig::ModuleMoved(int slot, TModul& module) {
    if (const auto it = panels_.find(&module); it != panels_.end()) it->second->SetSlot(slot);
}

void TfrmKonfig::ShowPicture(int slot, const std::string& file) {
    ModulePanel* panel = Panel(slot);
    if (panel == nullptr) return;
    QPixmap picture;
    // A picture that cannot be loaded leaves the old one, without a message.
    if (LoadPicture(file, picture)) panel->Picture()->setPixmap(picture);
}

void TfrmKonfig::LayoutLeds(int slot) {
    ModulePanel* panel = Panel(slot);
    const TModul* module = model_.Module(slot);
    if (panel == nullptr || module == nullptr) return;
    panel->normalRect = QRect(0, 0, module->breite, kModuleHeight);
    const auto leds = korvo::LayoutLeds(*module);
    // The model copies configurations between module objects that keep their drawings,
    // so the output LEDs follow the module's BitValue rather than the old drawing.
    const bool output = module->ModulType.find(kDigitalOutputFamily) != std::string::npos;
    for (int i = 1; i <= ModulePanel::kLedCount; ++i) {
        const LedPlacement& place = leds[static_cast<std::size_t>(i)];
        panel->normalLedRects[static_cast<std::size_t>(i)] =
            QRect(place.rect.left, place.rect.top, place.rect.width, place.rect.height);
        LedShape* led = panel->Led(i);
        const std::uint16_t weight = module->LedWeight[static_cast<std::size_t>(i)];
        led->SetColour(output && weight != 0 && (module->BitValue & weight) == weight ? LedShape::kOn
                                                                                       : LedShape::kOff);
        led->setVisible(place.visible);
        led->raise();
    }
    panel->ApplyScale(Scale());
}

void TfrmKonfig::RenameLeds(int fromSlot, int toSlot) {
    for (int slot = std::max(fromSlot, 1); slot <= toSlot; ++slot) {
        if (ModulePanel* panel = Panel(slot)) panel->RenameLeds();
    }
}

void TfrmKonfig::ArrangeModules(int count) {
    const Arrangement arrangement = korvo::ArrangeModules(model_, count, state_.ModulesPerRow);
    for (std::size_t i = 0; i < arrangement.panels.size(); ++i) {
        ModulePanel* panel = Panel(static_cast<int>(i) + 1);
        if (panel == nullptr) continue;
        const PanelRect& r = arrangement.panels[i];
        panel->normalRect = QRect(r.left, r.top, r.width, r.height);
    }
    ApplyScale();
}

void TfrmKonfig::BulkCreation(bool started) {
    // While a project loads, the panels are created inside a hidden background:
    // hidden widgets post no layout and update events, which Qt would otherwise
    // compare against all events already queued, once per LED of every module.
    // The load runs without the event loop, so nobody sees the view hidden.
    if (started) {
        showAfterBulk_ = !paForm_->isHidden();
        paForm_->hide();
    } else if (showAfterBulk_) {
        showAfterBulk_ = false;
        paForm_->show();
    }
}

void TfrmKonfig::ApplyScale() {
    const double scale = Scale();
    for (const auto& [module, panel] : panels_) panel->ApplyScale(scale);
    FitBackground();
}

void TfrmKonfig::FitBackground() {
    int right = 0;
    int bottom = 0;
    for (const auto& [module, panel] : panels_) {
        if (panel->isVisibleTo(paForm_)) {
            right = std::max(right, panel->normalRect.right());
            bottom = std::max(bottom, panel->normalRect.bottom());
        }
    }
    // The background covers the drawings plus a margin, and at least the visible area,
    // so a click beside the modules always lands on it.
    const double scale = Scale();
    const int width = static_cast<int>(std::lround((right + kViewMargin) * scale));
    const int height = static_cast<int>(std::lround((bottom + kViewMargin) * scale));
    paForm_->resize(std::max(width, viewport()->width()), std::max(height, viewport()->height()));
}

void TfrmKonfig::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    FitBackground();
}

void TfrmKonfig::ResetZoom() {
    if (state_.Zoom.Reset() != 1.0) ApplyScale();
    Q_EMIT zoomChanged();
}

void TfrmKonfig::ScrollToOrigin() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void TfrmKonfig::ScrollToEnd() {
    ApplyScale();
    horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

bool TfrmKonfig::AskYesNo(const std::string& text, const std::string& caption) {
    return MakeMessageBox(window(), QMessageBox::Question, ToQString(caption), ToQString(text),
                          QMessageBox::Yes | QMessageBox::No)
               ->exec() == QMessageBox::Yes;
}

StationUi::SaveAnswer TfrmKonfig::AskSaveChanges(const std::string& text, const std::string& caption) {
    const auto box = MakeMessageBox(window(), QMessageBox::Question, ToQString(caption), ToQString(text),
                                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box->setObjectName(QStringLiteral("SaveChangesBox"));
    box->setDefaultButton(QMessageBox::Save);
    switch (box->exec()) {
        case QMessageBox::Save: return SaveAnswer::Save;
        case QMessageBox::Discard: return SaveAnswer::Discard;
        default: return SaveAnswer::Cancel;
    }
}

void TfrmKonfig::ShowMessage(const std::string& text, const std::string& caption) {
    MakeMessageBox(window(), QMessageBox::Information, ToQString(caption), ToQString(text), QMessageBox::Ok)->exec();
}

void TfrmKonfig::SetStationStatus(const std::string& text) { Q_EMIT stationStatusChanged(ToQString(text)); }

void TfrmKonfig::SetPlacementMode(const std::string& text) { Q_EMIT placementModeChanged(ToQString(text)); }

void TfrmKonfig::PicturePressed(ModulePanel* panel, Qt::MouseButton button, QPoint position) {
    const int slot = panel->Slot();
    if (button == Qt::RightButton) {
        const bool restartVisible = SelectForPopup(model_, slot);
        // At the click, wherever the view is scrolled to and however it is zoomed.
        Q_EMIT popupRequested(panel->Picture()->mapToGlobal(position), restartVisible);
    }
    const std::vector<std::string> dump = SelectModule(model_, slot, button == Qt::LeftButton, state_.DebugShown);
    if (!dump.empty()) {
        QStringList lines;
        for (const std::string& line : dump) lines << ToQString(line);
        Q_EMIT moduleDumped(lines);
    }
    Q_EMIT moduleSelected(slot);
}

void TfrmKonfig::LedPressed(LedShape* led) {
    SetPlacementMode("");
    clickedLed_ = led->Number();
    const int slot = SlotFromLedName(led->objectName().toStdString());
    TModul* module = model_.Module(slot);
    if (module == nullptr) return;
    if (const std::optional<bool> lit = ClickLed(*module, clickedLed_, led->IsLit())) {
        led->SetColour(*lit ? LedShape::kOn : LedShape::kOff);
    }
}

}  // namespace korvo
