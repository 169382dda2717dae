#pragma once
// The scene window's hidden title bar on macOS: the content reaches the top
// edge under a transparent, untitled bar that keeps its window buttons. Qt
// has no window flag for this, so it is set on the native window.
class QWindow;

namespace velmora {

#ifdef __APPLE__
// For a shown window (the native one exists then). Qt recomputes the style
// when window flags change, so the host applies it again on each show.
void hideNativeTitleBar(QWindow& window);
#endif

}  // namespace velmora
