#include "ui/qt/MainWindowAdapter.h"

#include <QThread>

#include "disks/DiskMonitor.h"
#include "ui/model/MainWindowModel.h"
#include "ui/qt/CardValues.h"

namespace velmora {

namespace {

const QList<QByteArray> diskRoles = {"name",       "caption",         "sizeText",     "isSelected",
                                     "isConnected", "selectionSymbol", "badges",       "hasHistory",
                                     "historySummary", "historyMarks", "throughput", "throughputCaption",
                                     "historyExportStatus"};
const QList<QByteArray> badgeRoles = {"symbol", "name", "caption", "badge", "tone"};
const QList<QByteArray> protectedDiskRoles = {"symbol", "name", "powerSymbol"};

// Stores `value` and tells QML only when it differs, so a change elsewhere in
// the model does not re-evaluate every binding.
template <typename T, typename Signal>
void assign(MainWindowAdapter* self, T& field, T value, Signal changed) {
    if (field == value) return;
    field = std::move(value);
    emit(self->*changed)();
}

}  // namespace

MainWindowAdapter::MainWindowAdapter(std::shared_ptr<MainWindowModel> model, QObject* parent)
    : QObject(parent),
      model_(std::move(model)),
      disks_(diskRoles),
      protectedDisks_(protectedDiskRoles),
      connectionRows_(badgeRoles),
      highResourceApps_(badgeRoles) {
    const DiskListView empty;
    emptyState_ = {{"symbol", QString::fromStdString(empty.emptySymbol)},
                   {"title", QString::fromStdString(empty.emptyTitle)},
                   {"text", QString::fromStdString(empty.emptyText)}};
    update();
    changes_ = model_->subscribeChanges([this] { modelChanged(); });
}

MainWindowAdapter::~MainWindowAdapter() {
    changes_.reset();
}

void MainWindowAdapter::modelChanged() {
    // One block of work often sets several values (a status, its level and
    // its message): the views are brought up to date once, after it, rather
    // than once per value, each time rebuilding every card. This also keeps
    // QML on its own thread, should a value ever arrive from elsewhere.
    if (updateQueued_.exchange(true)) return;
    QMetaObject::invokeMethod(this, &MainWindowAdapter::update, Qt::QueuedConnection);
}

void MainWindowAdapter::update() {
    updateQueued_ = false;
    const auto list = model_->diskList();
    disks_.setRows(diskRows(list));
    assign(this, disksEmpty_, list.isEmpty, &MainWindowAdapter::disksEmptyChanged);
    assign(this, refreshButton_, toVariant(model_->refreshButton()), &MainWindowAdapter::refreshButtonChanged);
    assign(this, optimizeButton_, toVariant(model_->optimizeButton()), &MainWindowAdapter::optimizeButtonChanged);
    assign(this, makeInternalButton_, toVariant(model_->makeInternalButton()),
           &MainWindowAdapter::makeInternalButtonChanged);
    assign(this, systemRefreshButton_, toVariant(model_->systemRefreshButton()),
           &MainWindowAdapter::systemRefreshButtonChanged);

    const auto cards = model_->cards();
    protectedDisks_.setRows(protectedDiskRows(cards.controllers.protectedDisks));
    connectionRows_.setRows(badgeRows(cards.connection.disks));
    highResourceApps_.setRows(badgeRows(cards.applications.apps));
    assign(this, authorizationCard_, toVariant(cards.authorization), &MainWindowAdapter::authorizationCardChanged);
    assign(this, stabilizerCard_, toVariant(cards.stabilizer), &MainWindowAdapter::stabilizerCardChanged);
    assign(this, controllerCard_, toVariant(cards.controllers), &MainWindowAdapter::controllerCardChanged);
    assign(this, powerCard_, toVariant(cards.power), &MainWindowAdapter::powerCardChanged);
    assign(this, aggressiveCard_, toVariant(cards.aggressivePower), &MainWindowAdapter::aggressiveCardChanged);
    assign(this, connectionCard_, toVariant(cards.connection), &MainWindowAdapter::connectionCardChanged);
    assign(this, appsCard_, toVariant(cards.applications), &MainWindowAdapter::appsCardChanged);
    assign(this, associationsCard_, toVariant(cards.associations), &MainWindowAdapter::associationsCardChanged);
    assign(this, startupCard_, toVariant(cards.startup), &MainWindowAdapter::startupCardChanged);
}

QString MainWindowAdapter::webAddress() const {
    return QString::fromUtf8(MainWindowModel::makerWebAddress);
}

QString MainWindowAdapter::title() const { return QString::fromUtf8(MainWindowModel::title); }
QString MainWindowAdapter::subtitle() const { return QString::fromUtf8(MainWindowModel::subtitle); }
QString MainWindowAdapter::protectionHeading() const { return QString::fromUtf8(MainWindowModel::protectionHeading); }


void MainWindowAdapter::selectDisk(const QString& id) {
    const auto wanted = id.toStdString();
    for (const auto& disk : model_->diskMonitor->connectedDisks.get()) {
        if (disk.id == wanted) {
            model_->selectDisk(disk);
            return;
        }
    }
}

void MainWindowAdapter::refreshDisks() { model_->refreshDisks(); }
void MainWindowAdapter::exportHistory() { model_->exportSelectedHistory(); }
void MainWindowAdapter::optimize() { model_->optimize(); }
void MainWindowAdapter::authorize() { model_->authorize(); }
void MainWindowAdapter::makeInternal() { model_->makeInternal(); }
void MainWindowAdapter::refreshSystem() { model_->refreshSystem(); }
void MainWindowAdapter::toggleAggressivePower() { model_->toggleAggressivePower(); }
void MainWindowAdapter::fixApplicationAssociations() { model_->fixApplicationAssociations(); }
void MainWindowAdapter::toggleStartup() { model_->toggleStartup(); }
void MainWindowAdapter::openWebAddress() { model_->openMakerWebAddress(); }

}  // namespace velmora
