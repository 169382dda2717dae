import QtQuick

// A filled circle with the drive symbol at half its size and a small bolt
// towards the lower right corner.
Item {
    objectName: "logo"
    property real size: 28

    width: size
    height: size
    Rectangle {
        anchors.fill: parent
        radius: width / 2
        gradient: Gradient {
            GradientStop { position: 0; color: Theme.palette.logoTop }
            GradientStop { position: 1; color: Theme.palette.logoBottom }
        }
    }
    SymbolIcon {
        anchors.centerIn: parent
        symbol: "externaldrive.fill"
        size: parent.size / 2
        color: Theme.palette.logoMark
    }
    SymbolIcon {
        x: parent.size * 0.62
        y: parent.size * 0.58
        symbol: "bolt.fill"
        size: parent.size * 0.36
        color: Theme.palette.logoSpark
    }
}
