// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/gradient.h"

#include "widgets/gradient_colors.h"
#include "widgets/stretch.h"
#include "widgets/system_colors.h"

#include <QEvent>
#include <QMetaProperty>
#include <QPainter>
#include <algorithm>
#include <string_view>
#include <utility>

namespace {

constexpr int kPercentLimit = 100;

int ClampPercent(int value) {
    return std::clamp(value, -kPercentLimit, kPercentLimit);
}

QRgb ResolvedRgb(TColor color) {
    return ToQColor(color).rgb();
}

bool IsSettingChange(QEvent::Type type) {
    return type == QEvent::ApplicationPaletteChange || type == QEvent::PaletteChange ||
           type == QEvent::ThemeChange;
}

// Sets a flag for the life of a scope, and clears it however the scope is left.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~FlagScope() { FFlag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& FFlag;
};

} // namespace

TGradient::TGradient(QWidget* parent) : QWidget(parent) {
    // The band covers every pixel it owns: nothing is painted beneath it first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    resize(kDefaultSize, kDefaultSize);
    RebuildPattern();
}

TGradient::~TGradient() = default;

void TGradient::setColorBegin(TColor value) {
    if (value == FColorBegin)
        return;
    FColorBegin = value;
    FUseSysColors = false;
    RebuildPattern();
}

void TGradient::setColorEnd(TColor value) {
    if (value == FColorEnd)
        return;
    FColorEnd = value;
    FUseSysColors = false;
    RebuildPattern();
}

void TGradient::setUseSysColors(bool value) {
    if (value == FUseSysColors)
        return;
    FUseSysColors = value;
    if (value)
        TakeSystemColors();
}

void TGradient::setStyle(TGradientStyle value) {
    // An ordinal beyond the last style (a cast or a stray property value) is not a style.
    if (value == FStyle || value >= kGradientStyleCount)
        return;
    FStyle = value;
    RebuildPattern();
}

void TGradient::setShift(int value) {
    value = ClampPercent(value);
    if (value == FShift)
        return;
    FShift = int8_t(value);
    RebuildPattern();
}

void TGradient::setRotation(int value) {
    value = ClampPercent(value);
    if (value == FRotation)
        return;
    FRotation = int8_t(value);
    RebuildPattern();
}

void TGradient::setReverse(bool value) {
    if (value == FReverse)
        return;
    FReverse = value;
    RebuildPattern();
}

void TGradient::setBorderColor(TColor value) {
    if (value == FBorderColor)
        return;
    FBorderColor = value;
    update();
}

void TGradient::setBorderWidth(int value) {
    value = std::max(value, 0);
    if (value == FBorderWidth)
        return;
    FBorderWidth = value;
    update();
}

void TGradient::setOnCustom(TCustomGradientEvent handler) {
    FOnCustom = std::move(handler);
}

void TGradient::RebuildPattern() {
    FRebuildPending = true;
    if (FLoading || FDeferCount != 0)
        return;
    FRebuildPending = false;
    const QRgb c1 = ResolvedRgb(FReverse ? FColorEnd : FColorBegin);
    const QRgb c2 = ResolvedRgb(FReverse ? FColorBegin : FColorEnd);
    const TGradientColors colors = GradientColors(c1, c2, FShift, FRotation);
    DrawPattern(colors, c1, c2);
    update();
}

void TGradient::DrawPattern(const TGradientColors& colors, QRgb c1, QRgb c2) {
    const FlagScope busy(FPatternBusy);
    ++FPatternDrawCount;
    if (const TGradientRenderer renderer = kGradientRenderers[FStyle])
        renderer(colors, FPattern);
    else if (FOnCustom)
        FOnCustom(this, colors, FPattern);
    else
        DrawDefaultPattern(c1, c2);
}

// A 2 x 2 checkerboard of the two colours before Shift and Rotation: start colour at the top left
// and bottom right.
void TGradient::DrawDefaultPattern(QRgb c1, QRgb c2) {
    FPattern.setWidth(2);
    FPattern.setHeight(2);
    const uint32_t start = GradientEntry(qRed(c1), qGreen(c1), qBlue(c1));
    const uint32_t end = GradientEntry(qRed(c2), qGreen(c2), qBlue(c2));
    FPattern.setPixel(0, 0, start);
    FPattern.setPixel(0, 1, end);
    FPattern.setPixel(1, 0, end);
    FPattern.setPixel(1, 1, start);
}

void TGradient::TakeSystemColors() {
    DeferRebuild();
    try {
        setColorBegin(ToPlainColor(SystemColorValue(kColorActiveCaption)));
        try {
            setColorEnd(ToPlainColor(SystemColorValue(kColorGradientActiveCaption)));
            FUseSysColors = true;
        } catch (const std::exception&) {
            // The far end of the caption gradient is optional: fall back to one plain colour.
            setColorEnd(FColorBegin);
            FUseSysColors = false;
        }
    } catch (...) {
        ResumeRebuild();
        throw;
    }
    ResumeRebuild();
}

void TGradient::DeferRebuild() {
    ++FDeferCount;
}

void TGradient::ResumeRebuild() {
    --FDeferCount;
    if (FDeferCount == 0 && FRebuildPending)
        RebuildPattern();
}

void TGradient::beginLoading() {
    FLoading = true;
}

void TGradient::endLoading() {
    FLoading = false;
    RebuildPattern();
}

bool TGradient::isStored(const char* propertyName) const {
    const std::string_view name = propertyName ? propertyName : "";
    const std::pair<std::string_view, bool> rules[] = {
        {"ColorBegin", !FUseSysColors && FColorBegin != clWhite},
        {"ColorEnd", !FUseSysColors && FColorEnd != clBtnFace},
        {"UseSysColors", FUseSysColors},
        {"Style", FStyle != gsRadialC},
        {"Shift", FShift != 0},
        {"Rotation", FRotation != 0},
        {"Reverse", FReverse},
        {"BorderColor", FBorderColor != clActiveBorder},
        {"BorderWidth", FBorderWidth != 0},
        {"OnCustom", bool(FOnCustom)},
        {"OnMouseEnter", isSignalConnected(QMetaMethod::fromSignal(&TGradient::OnMouseEnter))},
        {"OnMouseLeave", isSignalConnected(QMetaMethod::fromSignal(&TGradient::OnMouseLeave))},
        {"Width", width() != kDefaultSize},
        {"Height", height() != kDefaultSize},
    };
    for (const auto& [setting, stored] : rules)
        if (setting == name)
            return stored;
    const int index = metaObject()->indexOfProperty(propertyName);
    return index >= 0 && metaObject()->property(index).isStored();
}

bool TGradient::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (IsSettingChange(event->type()) && FUseSysColors)
        TakeSystemColors();
    return handled;
}

void TGradient::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    emit OnMouseEnter(this);
}

void TGradient::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    emit OnMouseLeave(this);
}

void TGradient::paintEvent(QPaintEvent*) {
    if (FPatternBusy)
        return;
    QPainter painter(this);
    QRect inside = rect();
    if (FBorderWidth > 0) {
        PaintFrame(painter, inside);
        inside.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    }
    if (inside.isEmpty())
        return;
    // Stretched here, in device pixels, rather than by drawImage, whose fixed-point scaling takes
    // the pixel before near some borders.
    const qreal ratio = devicePixelRatioF();
    QImage stretched = StretchNearest(FPattern.image(), (QSizeF(inside.size()) * ratio).toSize());
    stretched.setDevicePixelRatio(ratio);
    painter.drawImage(inside.topLeft(), stretched);
}

// The frame lies wholly inside the bounds, BorderWidth thick; a frame too wide for the band
// covers it all.
void TGradient::PaintFrame(QPainter& painter, const QRect& bounds) const {
    const QColor color = ToQColor(FBorderColor);
    const int b = FBorderWidth;
    if (int64_t(b) * 2 >= bounds.width() || int64_t(b) * 2 >= bounds.height()) {
        painter.fillRect(bounds, color);
        return;
    }
    const int w = bounds.width();
    const int h = bounds.height();
    painter.fillRect(QRect(0, 0, w, b), color);
    painter.fillRect(QRect(0, h - b, w, b), color);
    painter.fillRect(QRect(0, b, b, h - 2 * b), color);
    painter.fillRect(QRect(w - b, b, b, h - 2 * b), color);
}
