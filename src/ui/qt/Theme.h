#pragma once
// The colours the views draw with, following the system's appearance: the
// dark set while the system is dark, switching live when it changes. Qt 6.5
// and later say so through the style hints' colour scheme; 6.4 only through
// the application palette, whose window colour turns dark. VELMORA_APPEARANCE
// (light or dark) fixes it, for screenshots.
#include <QColor>
#include <QObject>
#include <QVariantMap>

#include "ui/qt/ThemePalette.h"

namespace velmora {

// When VELMORA_APPEARANCE fixes the appearance, the widgets (the status
// menu, the alerts) take it too. Not on a Mac, where those are the system's
// own and always follow the system.
void applyFixedAppearanceToWidgets();

class Theme : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool dark READ dark NOTIFY changed)
    // Every colour by name (the ThemePalette field names), so a binding that
    // reads one is redrawn when the appearance changes.
    Q_PROPERTY(QVariantMap palette READ palette NOTIFY changed)
public:
    explicit Theme(QObject* parent = nullptr);

    bool dark() const { return dark_; }
    QVariantMap palette() const { return palette_; }
    const ThemePalette& colours() const { return dark_ ? darkPalette() : lightPalette(); }

    static QColor toColor(Rgba colour);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void update();

    bool dark_ = false;
    QVariantMap palette_;
};

}  // namespace velmora
