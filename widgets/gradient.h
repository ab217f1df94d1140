// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TGradient, the decorative gradient band: a two-colour gradient in one of 24 styles, optionally
// inside a plain frame. A change of a gradient setting rebuilds a small pattern of fixed size;
// painting only stretches that pattern over the band, so resizing and repainting cost no rebuild.

#include "widgets/gradient_renderers.h"
#include "widgets/tbitmap.h"
#include "widgets/tcolor.h"

#include <QWidget>
#include <functional>

class TGradient;

// Draws the pattern of gsCustom: it may give Pattern any size and fill it as it likes.
using TCustomGradientEvent =
    std::function<void(TGradient* Sender, const TGradientColors& Colors, TBitmap& Pattern)>;

class TGradient : public QWidget {
    Q_OBJECT
    // Persistence rules: Qt 6 takes only constants for STORED, so whether each setting is written
    // with a layout is answered by isStored() below.
    Q_PROPERTY(TColor ColorBegin READ ColorBegin WRITE setColorBegin)
    Q_PROPERTY(TColor ColorEnd READ ColorEnd WRITE setColorEnd)
    Q_PROPERTY(bool UseSysColors READ UseSysColors WRITE setUseSysColors)
    Q_PROPERTY(TGradientStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(int Shift READ Shift WRITE setShift)
    Q_PROPERTY(int Rotation READ Rotation WRITE setRotation)
    Q_PROPERTY(bool Reverse READ Reverse WRITE setReverse)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)

public:
    static constexpr int kDefaultSize = 100;

    explicit TGradient(QWidget* parent = nullptr);
    ~TGradient() override;

    TColor ColorBegin() const { return FColorBegin; }
    TColor ColorEnd() const { return FColorEnd; }
    bool UseSysColors() const { return FUseSysColors; }
    TGradientStyle Style() const { return FStyle; }
    int Shift() const { return FShift; }
    int Rotation() const { return FRotation; }
    bool Reverse() const { return FReverse; }
    TColor BorderColor() const { return FBorderColor; }
    int BorderWidth() const { return FBorderWidth; }
    const TCustomGradientEvent& OnCustom() const { return FOnCustom; }
    const TBitmap& Pattern() const { return FPattern; }

    // Each setter does nothing when the value is unchanged. A new colour turns UseSysColors off.
    void setColorBegin(TColor value);
    void setColorEnd(TColor value);
    void setUseSysColors(bool value);
    void setStyle(TGradientStyle value);
    // Shift and Rotation are clamped to -100..100 before the comparison.
    void setShift(int value);
    void setRotation(int value);
    void setReverse(bool value);
    // The frame only repaints; a negative width counts as 0.
    void setBorderColor(TColor value);
    void setBorderWidth(int value);
    // Takes effect at the next rebuild.
    void setOnCustom(TCustomGradientEvent handler);

    // Rebuilds the pattern now, or only notes it while loading or deferred. A failure of the
    // drawing passes on and asks for no repaint.
    virtual void RebuildPattern();
    // Takes both colours from the system's caption colours, for at most one rebuild.
    virtual void TakeSystemColors();

    // Paired calls; between them rebuilds are only noted, and the last resume performs one.
    void DeferRebuild();
    void ResumeRebuild();

    // Loading state: settings applied between these calls only note their rebuilds; endLoading
    // (the loading-finished operation) ends the state and rebuilds once.
    void beginLoading();
    void endLoading();
    bool isLoading() const { return FLoading; }

    // Whether a setting is written with a stored layout: each setting, Width, Height and the
    // events included, only when it differs from its default (an event: once assigned), and the
    // colours only when they are not taken from the system.
    bool isStored(const char* propertyName) const;

    bool isPatternBusy() const { return FPatternBusy; }
    bool isRebuildPending() const { return FRebuildPending; }
    // How many times the pattern was drawn (renderer, OnCustom or default pattern), for tests.
    int patternDrawCount() const { return FPatternDrawCount; }

signals:
    void OnMouseEnter(TGradient* Sender);
    void OnMouseLeave(TGradient* Sender);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void DrawPattern(const TGradientColors& colors, QRgb c1, QRgb c2);
    void DrawDefaultPattern(QRgb c1, QRgb c2);
    void PaintFrame(QPainter& painter, const QRect& bounds) const;

    TColor FColorBegin = clWhite;
    TColor FColorEnd = clBtnFace;
    bool FUseSysColors = false;
    TGradientStyle FStyle = gsRadialC;
    int8_t FShift = 0;
    int8_t FRotation = 0;
    bool FReverse = false;
    TBitmap FPattern;
    TColor FBorderColor = clActiveBorder;
    int FBorderWidth = 0;
    TCustomGradientEvent FOnCustom;
    int FDeferCount = 0;
    bool FRebuildPending = false;
    bool FPatternBusy = false;
    bool FLoading = false;
    int FPatternDrawCount = 0;
};
