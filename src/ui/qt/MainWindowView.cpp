#include "ui/qt/MainWindowView.h"

#include <QDir>
#include <QIcon>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include "ui/model/MainWindowModel.h"

namespace velmora {

MainWindowView::MainWindowView(std::shared_ptr<MainWindowModel> model)
    : adapter_(std::make_unique<MainWindowAdapter>(std::move(model))), window_(std::make_unique<QQuickView>()) {
    window_->rootContext()->setContextProperty(QStringLiteral("Symbols"), &symbols_);
    window_->rootContext()->setContextProperty(QStringLiteral("Theme"), &theme_);
    window_->setInitialProperties({{QStringLiteral("adapter"), QVariant::fromValue<QObject*>(adapter_.get())}});
    window_->setResizeMode(QQuickView::SizeRootObjectToView);
    window_->setSource(QUrl(QStringLiteral("qrc:/velmora/ContentView.qml")));
    window_->setTitle(QString::fromUtf8(MainWindowModel::title));
    window_->setIcon(QIcon(QStringLiteral(":/velmora/AppIconImage.svg")));
    window_->setMinimumSize(QSize(width, minimumHeight));
    window_->setMaximumWidth(width);
    window_->resize(width, minimumHeight);
}

MainWindowView::~MainWindowView() {
    // The QML goes before the adapter its bindings read.
    window_.reset();
}

QQuickItem* MainWindowView::content() const {
    return window_->rootObject();
}

QStringList MainWindowView::errors() const {
    QStringList list;
    for (const auto& error : window_->errors()) list << error.toString();
    return list;
}

QString contentLoadProblem(const QUrl& url) {
    QQmlEngine engine;
    const QQmlComponent component(&engine, url);
    if (!component.isError()) return {};
    // The first error names the cause; the rest usually follow from it.
    QString line = component.errors().constFirst().toString().simplified();
    const auto more = component.errors().size() - 1;
    if (more > 0) line += QStringLiteral(" (and %1 more)").arg(more);
    return line;
}

void chooseSceneGraphBackend() {
#ifndef Q_OS_MACOS
    if (!qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) return;  // the user chose
    if (QDir(QStringLiteral("/dev/dri")).entryList({QStringLiteral("renderD*")}, QDir::System).isEmpty())
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
#endif
}

}  // namespace velmora
