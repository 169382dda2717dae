import QtQuick
import "CardStatus.js" as CardStatus

// The main window's content: the connected disks on the left, the protection
// status on the right. Everything shown comes from `adapter`; every action
// goes back to it.
Rectangle {
    id: root
    required property var adapter

    // The list's spring, carried over from a response of 0.6 s and a damping
    // fraction of 0.7. Qt's spring steps every 16 ms as v += spring·x −
    // damping·v, so spring = (2π/response)²·0.016 and damping =
    // 2·fraction·(2π/response)·0.016.
    readonly property real listSpring: 1.75
    readonly property real listDamping: 0.23

    implicitWidth: 720
    implicitHeight: 780
    color: Theme.palette.windowBackground

    // Left column: header, disks, the two buttons and the footer.
    Rectangle {
        id: left
        width: 350
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        color: Theme.palette.headerOverlay

        Row {
            id: header
            x: 20
            y: 20
            spacing: 14
            Image {
                source: "qrc:/velmora/AppIconImage.svg"
                width: 60
                height: 60
                sourceSize: Qt.size(120, 120)
            }
            Column {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 2
                Text {
                    text: root.adapter.title
                    font.pixelSize: 22
                    font.weight: Font.Bold
                    color: Theme.palette.primaryText
                }
                Text {
                    text: root.adapter.subtitle
                    font.pixelSize: 13
                    color: Theme.palette.secondaryText
                }
            }
        }

        Item {
            id: diskArea
            anchors.top: header.bottom
            anchors.topMargin: 20
            anchors.bottom: buttons.top
            anchors.bottomMargin: 16
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 16
            anchors.rightMargin: 16

            Column {
                objectName: "emptyState"
                visible: root.adapter.disksEmpty
                anchors.centerIn: parent
                width: parent.width
                spacing: 8
                SymbolIcon {
                    anchors.horizontalCenter: parent.horizontalCenter
                    symbol: root.adapter.emptyState.symbol
                    size: 48
                    color: CardStatus.color(Theme.palette, "grey")
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: root.adapter.emptyState.title
                    font.pixelSize: 15
                    font.weight: Font.Medium
                    color: Theme.palette.primaryText
                }
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: root.adapter.emptyState.text
                    font.pixelSize: 13
                    color: Theme.palette.secondaryText
                }
            }

            ListView {
                id: diskList
                objectName: "diskList"
                anchors.fill: parent
                visible: !root.adapter.disksEmpty
                clip: true
                spacing: 12
                model: root.adapter.disks
                delegate: SelectableDiskCard {
                    required property var model
                    required property int index
                    objectName: "diskCard_" + model.key
                    width: ListView.view.width
                    name: model.name
                    caption: model.caption
                    sizeText: model.sizeText
                    isSelected: model.isSelected
                    isConnected: model.isConnected
                    selectionSymbol: model.selectionSymbol
                    badges: model.badges
                    hasHistory: model.hasHistory
                    historySummary: model.historySummary
                    historyMarks: model.historyMarks
                    throughput: model.throughput
                    throughputCaption: model.throughputCaption
                    historyExportStatus: model.historyExportStatus
                    onSelect: root.adapter.selectDisk(model.key)
                    onExportHistory: root.adapter.exportHistory()
                    // The arrow keys move the focus along the list; Space
                    // selects, as a click does.
                    Keys.onUpPressed: diskList.focusCard(index - 1)
                    Keys.onDownPressed: diskList.focusCard(index + 1)
                }
                function focusCard(i) {
                    if (i < 0 || i >= count) return
                    positionViewAtIndex(i, ListView.Contain)
                    const card = itemAtIndex(i)
                    if (card) card.forceActiveFocus(Qt.TabFocusReason)
                }
                add: Transition {
                    ParallelAnimation {
                        NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 350; easing.type: Easing.OutCubic }
                        NumberAnimation { property: "x"; from: -diskList.width; to: 0; duration: 350; easing.type: Easing.OutCubic }
                    }
                }
                remove: Transition {
                    ParallelAnimation {
                        NumberAnimation { property: "scale"; to: 0.8; duration: 300 }
                        NumberAnimation { property: "opacity"; to: 0; duration: 300 }
                    }
                }
                // A card moved while it is still entering loses its enter
                // transition: this one also takes it to its full opacity and
                // size, or it would stay half faded.
                displaced: Transition {
                    ParallelAnimation {
                        SpringAnimation { properties: "x,y"; spring: root.listSpring; damping: root.listDamping }
                        NumberAnimation { properties: "opacity,scale"; to: 1; duration: 200 }
                    }
                }
            }
        }

        Column {
            id: buttons
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 16
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.leftMargin: 16
            anchors.rightMargin: 16
            spacing: 12
            Row {
                spacing: 10
                SideButton {
                    objectName: "refreshButton"
                    width: (buttons.width - 10) / 2
                    symbol: root.adapter.refreshButton.symbol
                    label: root.adapter.refreshButton.label
                    showsProgress: root.adapter.refreshButton.showsProgress
                    onClicked: root.adapter.refreshDisks()
                }
                SideButton {
                    objectName: "optimizeButton"
                    width: (buttons.width - 10) / 2
                    symbol: root.adapter.optimizeButton.symbol
                    label: root.adapter.optimizeButton.label
                    showsProgress: root.adapter.optimizeButton.showsProgress
                    onClicked: root.adapter.optimize()
                }
            }
            Row {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: 6
                SymbolIcon {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "globe"
                    size: 14
                    color: Theme.palette.secondaryText
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.adapter.webAddress
                    font.pixelSize: 12
                    color: CardStatus.color(Theme.palette, "blue")
                    activeFocusOnTab: true
                    Keys.onSpacePressed: root.adapter.openWebAddress()
                    Keys.onReturnPressed: root.adapter.openWebAddress()
                    Accessible.role: Accessible.Link
                    Accessible.name: text
                    Accessible.onPressAction: root.adapter.openWebAddress()
                    FocusRing {}
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: root.adapter.openWebAddress()
                    }
                }
            }
        }
    }

    // Right column: the heading, the cards and the two large buttons.
    Flickable {
        id: right
        x: left.width
        width: 370
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        contentWidth: width
        contentHeight: cards.height
        boundsBehavior: Flickable.StopAtBounds
        clip: true

        OverlayScrollBar { flickable: right }

        Column {
            id: cards
            x: 16
            width: right.width - 32
            topPadding: 20
            bottomPadding: 20
            spacing: 14

            Row {
                spacing: 10
                VelmoraMiniLogo { size: 28 }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: root.adapter.protectionHeading
                    font.pixelSize: 18
                    font.weight: Font.Bold
                    color: Theme.palette.primaryText
                }
            }

            ModernCard {
                objectName: "authorizationCard"
                width: cards.width
                visible: root.adapter.authorizationCard.isShown
                title: root.adapter.authorizationCard.title
                icon: root.adapter.authorizationCard.symbol
                status: "orange"
                Text {
                    width: parent.width
                    wrapMode: Text.WordWrap
                    text: root.adapter.authorizationCard.text
                    font.pixelSize: 13
                    color: Theme.palette.primaryText
                }
                Text {
                    width: parent.width
                    wrapMode: Text.WordWrap
                    text: root.adapter.authorizationCard.authorizationStatus
                    font.pixelSize: 11
                    color: Theme.palette.secondaryText
                }
                SmallButton {
                    label: root.adapter.authorizationCard.button.label
                    onClicked: root.adapter.authorize()
                }
            }

            ModernCard {
                objectName: "card1"
                width: cards.width
                title: root.adapter.stabilizerCard.title
                icon: root.adapter.stabilizerCard.icon
                status: root.adapter.stabilizerCard.status
                SymbolLine {
                    symbol: root.adapter.stabilizerCard.headline.symbol
                    text: root.adapter.stabilizerCard.headline.text
                    medium: true
                }
                Row {
                    spacing: 6
                    Text {
                        text: root.adapter.stabilizerCard.statusLabel
                        font.pixelSize: 13
                        color: Theme.palette.secondaryText
                    }
                    Text {
                        text: root.adapter.stabilizerCard.statusValue
                        font.pixelSize: 13
                        font.weight: Font.Medium
                        color: CardStatus.color(Theme.palette, root.adapter.stabilizerCard.status === "green" ? "green" : "grey")
                    }
                }
                Repeater {
                    model: root.adapter.stabilizerCard.features
                    SymbolLine {
                        required property var modelData
                        symbol: modelData.symbol
                        text: modelData.text
                        symbolColor: CardStatus.color(Theme.palette, "green")
                    }
                }
            }

            ModernCard {
                objectName: "card2"
                width: cards.width
                title: root.adapter.controllerCard.title
                icon: root.adapter.controllerCard.icon
                status: root.adapter.controllerCard.status
                SymbolLine {
                    symbol: root.adapter.controllerCard.level.symbol
                    text: root.adapter.controllerCard.level.text
                    medium: true
                }
                ElidedText {
                    width: parent.width
                    visible: text.length > 0
                    wrapMode: Text.WordWrap
                    maximumLineCount: 3
                    elide: Text.ElideRight
                    text: root.adapter.controllerCard.lastAction
                    font.pixelSize: 11
                    color: Theme.palette.secondaryText
                }
                // A count, not a verdict: none found is the usual case.
                SymbolLine {
                    objectName: "controllersLine"
                    symbol: root.adapter.controllerCard.controllers.symbol
                    text: root.adapter.controllerCard.controllers.text
                    symbolColor: CardStatus.color(Theme.palette, "grey")
                    textColor: Theme.palette.secondaryText
                }
                // The label and its line wrap as one when the card is narrow.
                Flow {
                    width: parent.width
                    spacing: 6
                    visible: root.adapter.controllerCard.powerManagement.text !== undefined
                    Text {
                        height: 16
                        verticalAlignment: Text.AlignVCenter
                        text: root.adapter.controllerCard.powerManagementLabel
                        font.pixelSize: 13
                        color: Theme.palette.secondaryText
                    }
                    SymbolLine {
                        symbol: root.adapter.controllerCard.powerManagement.symbol || ""
                        text: root.adapter.controllerCard.powerManagement.text || ""
                        symbolColor: CardStatus.color(Theme.palette, "green")
                    }
                }
                Row {
                    spacing: 6
                    Text {
                        text: root.adapter.controllerCard.protectedDisksLabel
                        font.pixelSize: 13
                        color: Theme.palette.secondaryText
                    }
                    Text {
                        text: root.adapter.controllerCard.protectedDisksCount
                        font.pixelSize: 13
                        font.weight: Font.Medium
                        color: Theme.palette.primaryText
                    }
                }
                Repeater {
                    model: root.adapter.protectedDisks
                    Row {
                        required property var model
                        spacing: 6
                        SymbolLine {
                            symbol: parent.model.symbol
                            text: parent.model.name
                        }
                        SymbolIcon {
                            anchors.verticalCenter: parent.verticalCenter
                            visible: parent.model.powerSymbol.length > 0
                            symbol: parent.model.powerSymbol
                            color: CardStatus.color(Theme.palette, "orange")
                        }
                    }
                }
                Text {
                    visible: text.length > 0
                    text: root.adapter.controllerCard.moreDisks
                    font.pixelSize: 11
                    color: Theme.palette.secondaryText
                }
            }

            ModernCard {
                objectName: "card3"
                width: cards.width
                title: root.adapter.powerCard.title
                icon: root.adapter.powerCard.icon
                status: root.adapter.powerCard.status
                Repeater {
                    model: root.adapter.powerCard.rows
                    StatusRow {
                        required property var modelData
                        width: parent.width
                        icon: modelData.icon
                        text: modelData.text
                        status: modelData.status
                        isActive: modelData.isActive
                    }
                }
            }

            ModernCard {
                objectName: "card4"
                width: cards.width
                title: root.adapter.aggressiveCard.title
                icon: root.adapter.aggressiveCard.icon
                status: root.adapter.aggressiveCard.status
                Item {
                    width: parent.width
                    height: toggle.height
                    Text {
                        anchors.verticalCenter: parent.verticalCenter
                        text: root.adapter.aggressiveCard.text
                        font.pixelSize: 13
                        color: Theme.palette.primaryText
                    }
                    SmallButton {
                        id: toggle
                        objectName: "aggressiveToggle"
                        anchors.right: parent.right
                        label: root.adapter.aggressiveCard.toggle.label
                        showsProgress: root.adapter.aggressiveCard.toggle.showsProgress
                        onClicked: root.adapter.toggleAggressivePower()
                    }
                }
            }

            ModernCard {
                objectName: "card5"
                width: cards.width
                title: root.adapter.connectionCard.title
                icon: root.adapter.connectionCard.icon
                status: root.adapter.connectionCard.status
                Repeater {
                    model: root.adapter.connectionRows
                    DiskStatusRow {
                        required property var model
                        width: parent.width
                        name: model.name
                        caption: model.caption
                        badge: model.badge
                    }
                }
                SymbolLine {
                    visible: root.adapter.connectionCard.emptyLine.text !== undefined
                    symbol: root.adapter.connectionCard.emptyLine.symbol || ""
                    text: root.adapter.connectionCard.emptyLine.text || ""
                    symbolColor: CardStatus.color(Theme.palette, "grey")
                    textColor: Theme.palette.secondaryText
                }
            }

            ModernCard {
                objectName: "card6"
                width: cards.width
                title: root.adapter.appsCard.title
                icon: root.adapter.appsCard.icon
                status: root.adapter.appsCard.status
                Repeater {
                    model: root.adapter.highResourceApps
                    AppStatusRow {
                        required property var model
                        width: parent.width
                        name: model.name
                        caption: model.caption
                        badge: model.badge
                    }
                }
                SymbolLine {
                    visible: root.adapter.appsCard.cleanLine.text !== undefined
                    symbol: root.adapter.appsCard.cleanLine.symbol || ""
                    text: root.adapter.appsCard.cleanLine.text || ""
                    symbolColor: CardStatus.color(Theme.palette, "green")
                }
            }

            ModernCard {
                objectName: "card7"
                width: cards.width
                title: root.adapter.associationsCard.title
                icon: root.adapter.associationsCard.icon
                status: root.adapter.associationsCard.status
                Text {
                    text: root.adapter.associationsCard.heading
                    font.pixelSize: 13
                    font.weight: Font.Medium
                    color: Theme.palette.primaryText
                }
                ElidedText {
                    width: parent.width
                    visible: text.length > 0
                    wrapMode: Text.WordWrap
                    maximumLineCount: 4
                    elide: Text.ElideRight
                    text: root.adapter.associationsCard.statusMessage
                    font.pixelSize: 11
                    color: Theme.palette.secondaryText
                }
                SmallButton {
                    objectName: "fixButton"
                    label: root.adapter.associationsCard.fix.label
                    isDisabled: root.adapter.associationsCard.fix.isDisabled
                    onClicked: root.adapter.fixApplicationAssociations()
                }
            }

            ModernCard {
                objectName: "card8"
                width: cards.width
                title: root.adapter.startupCard.title
                icon: root.adapter.startupCard.icon
                status: root.adapter.startupCard.status
                Item {
                    width: parent.width
                    height: startupToggle.height
                    SymbolLine {
                        anchors.verticalCenter: parent.verticalCenter
                        symbol: root.adapter.startupCard.line.symbol
                        text: root.adapter.startupCard.line.text
                    }
                    SmallButton {
                        id: startupToggle
                        anchors.right: parent.right
                        label: root.adapter.startupCard.toggle.label
                        onClicked: root.adapter.toggleStartup()
                    }
                }
            }

            Row {
                spacing: 12
                ActionButton {
                    objectName: "makeInternalButton"
                    width: (cards.width - 12) / 2
                    title: root.adapter.makeInternalButton.title
                    subtitle: root.adapter.makeInternalButton.subtitle
                    icon: root.adapter.makeInternalButton.icon
                    tone: "blue"
                    isLoading: root.adapter.makeInternalButton.isLoading
                    isDisabled: root.adapter.makeInternalButton.isDisabled
                    onAction: root.adapter.makeInternal()
                }
                ActionButton {
                    objectName: "systemRefreshButton"
                    width: (cards.width - 12) / 2
                    title: root.adapter.systemRefreshButton.title
                    subtitle: root.adapter.systemRefreshButton.subtitle
                    icon: root.adapter.systemRefreshButton.icon
                    tone: "green"
                    isLoading: root.adapter.systemRefreshButton.isLoading
                    isDisabled: root.adapter.systemRefreshButton.isDisabled
                    onAction: root.adapter.refreshSystem()
                }
            }
        }
    }
}
