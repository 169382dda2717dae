#include "ui/qt/NativeTitleBar.h"

#import <AppKit/AppKit.h>
#include <QWindow>

namespace velmora {

void hideNativeTitleBar(QWindow& window) {
    // On macOS a QWindow's id is its NSView, owned by Qt (no transfer under ARC).
    NSView* view = (__bridge NSView*)reinterpret_cast<void*>(window.winId());
    NSWindow* native = view.window;
    if (native == nil) return;
    native.titleVisibility = NSWindowTitleHidden;
    native.titlebarAppearsTransparent = YES;
    native.styleMask = native.styleMask | NSWindowStyleMaskFullSizeContentView;
}

}  // namespace velmora
