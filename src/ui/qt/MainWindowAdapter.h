#pragma once
// The main window model as QML sees it: one property per card and button,
// each with its own change signal, and keyed lists for the disks, the
// protected disks, the connection rows and the heavy applications. Values
// are taken from the model after it stored them (its change subscription)
// and signals go out on this object's thread only; a change reported from
// another thread is carried over first. Commands go straight to the model.
#include <QObject>
#include <QVariantMap>
#include <atomic>
#include <memory>

#include "foundation/published/Subscription.h"
#include "ui/qt/KeyedListModel.h"

namespace velmora {

class MainWindowModel;

class MainWindowAdapter : public QObject {
    Q_OBJECT
    Q_PROPERTY(QObject* disks READ disks CONSTANT)
    Q_PROPERTY(bool disksEmpty READ disksEmpty NOTIFY disksEmptyChanged)
    Q_PROPERTY(QVariantMap emptyState READ emptyState CONSTANT)
    Q_PROPERTY(QVariantMap refreshButton READ refreshButton NOTIFY refreshButtonChanged)
    Q_PROPERTY(QVariantMap optimizeButton READ optimizeButton NOTIFY optimizeButtonChanged)
    Q_PROPERTY(QVariantMap makeInternalButton READ makeInternalButton NOTIFY makeInternalButtonChanged)
    Q_PROPERTY(QVariantMap systemRefreshButton READ systemRefreshButton NOTIFY systemRefreshButtonChanged)
    Q_PROPERTY(QVariantMap authorizationCard READ authorizationCard NOTIFY authorizationCardChanged)
    Q_PROPERTY(QVariantMap stabilizerCard READ stabilizerCard NOTIFY stabilizerCardChanged)
    Q_PROPERTY(QVariantMap controllerCard READ controllerCard NOTIFY controllerCardChanged)
    Q_PROPERTY(QVariantMap powerCard READ powerCard NOTIFY powerCardChanged)
    Q_PROPERTY(QVariantMap aggressiveCard READ aggressiveCard NOTIFY aggressiveCardChanged)
    Q_PROPERTY(QVariantMap connectionCard READ connectionCard NOTIFY connectionCardChanged)
    Q_PROPERTY(QVariantMap appsCard READ appsCard NOTIFY appsCardChanged)
    Q_PROPERTY(QVariantMap associationsCard READ associationsCard NOTIFY associationsCardChanged)
    Q_PROPERTY(QVariantMap startupCard READ startupCard NOTIFY startupCardChanged)
    Q_PROPERTY(QObject* protectedDisks READ protectedDisks CONSTANT)
    Q_PROPERTY(QObject* connectionRows READ connectionRows CONSTANT)
    Q_PROPERTY(QObject* highResourceApps READ highResourceApps CONSTANT)
    Q_PROPERTY(QString webAddress READ webAddress CONSTANT)
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString subtitle READ subtitle CONSTANT)
    Q_PROPERTY(QString protectionHeading READ protectionHeading CONSTANT)
public:
    // On the thread that owns the window (Qt's main thread).
    explicit MainWindowAdapter(std::shared_ptr<MainWindowModel> model, QObject* parent = nullptr);
    ~MainWindowAdapter() override;

    const std::shared_ptr<MainWindowModel>& model() const { return model_; }

    KeyedListModel* disks() { return &disks_; }
    bool disksEmpty() const { return disksEmpty_; }
    QVariantMap emptyState() const { return emptyState_; }
    QVariantMap refreshButton() const { return refreshButton_; }
    QVariantMap optimizeButton() const { return optimizeButton_; }
    QVariantMap makeInternalButton() const { return makeInternalButton_; }
    QVariantMap systemRefreshButton() const { return systemRefreshButton_; }
    QVariantMap authorizationCard() const { return authorizationCard_; }
    QVariantMap stabilizerCard() const { return stabilizerCard_; }
    QVariantMap controllerCard() const { return controllerCard_; }
    QVariantMap powerCard() const { return powerCard_; }
    QVariantMap aggressiveCard() const { return aggressiveCard_; }
    QVariantMap connectionCard() const { return connectionCard_; }
    QVariantMap appsCard() const { return appsCard_; }
    QVariantMap associationsCard() const { return associationsCard_; }
    QVariantMap startupCard() const { return startupCard_; }
    KeyedListModel* protectedDisks() { return &protectedDisks_; }
    KeyedListModel* connectionRows() { return &connectionRows_; }
    KeyedListModel* highResourceApps() { return &highResourceApps_; }
    QString webAddress() const;
    QString title() const;
    QString subtitle() const;
    QString protectionHeading() const;

    Q_INVOKABLE void selectDisk(const QString& id);
    Q_INVOKABLE void refreshDisks();
    Q_INVOKABLE void exportHistory();
    Q_INVOKABLE void optimize();
    Q_INVOKABLE void authorize();
    Q_INVOKABLE void makeInternal();
    Q_INVOKABLE void refreshSystem();
    Q_INVOKABLE void toggleAggressivePower();
    Q_INVOKABLE void fixApplicationAssociations();
    Q_INVOKABLE void toggleStartup();
    Q_INVOKABLE void openWebAddress();

signals:
    void disksEmptyChanged();
    void refreshButtonChanged();
    void optimizeButtonChanged();
    void makeInternalButtonChanged();
    void systemRefreshButtonChanged();
    void authorizationCardChanged();
    void stabilizerCardChanged();
    void controllerCardChanged();
    void powerCardChanged();
    void aggressiveCardChanged();
    void connectionCardChanged();
    void appsCardChanged();
    void associationsCardChanged();
    void startupCardChanged();

private:
    void modelChanged();
    void update();

    std::shared_ptr<MainWindowModel> model_;
    Subscription changes_;
    std::atomic<bool> updateQueued_{false};
    KeyedListModel disks_;
    KeyedListModel protectedDisks_;
    KeyedListModel connectionRows_;
    KeyedListModel highResourceApps_;
    bool disksEmpty_ = true;
    QVariantMap emptyState_;
    QVariantMap refreshButton_, optimizeButton_, makeInternalButton_, systemRefreshButton_;
    QVariantMap authorizationCard_, stabilizerCard_, controllerCard_, powerCard_, aggressiveCard_;
    QVariantMap connectionCard_, appsCard_, associationsCard_, startupCard_;
};

}  // namespace velmora
