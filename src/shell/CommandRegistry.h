#pragma once

#include <QAction>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

namespace qb {

// The main window's commands by name. The window creates one QAction per command (disabled until
// a subsystem binds it); menus, tool buttons and the desktop pop-up menu share those actions.
class CommandRegistry : public QObject {
    Q_OBJECT
public:
    explicit CommandRegistry(QObject* parent = nullptr) : QObject(parent) {}

    // The action of a command, made on first use.
    QAction* action(const QString& name);
    bool contains(const QString& name) const { return actions_.contains(name); }

    // Makes the command work: enables its action and runs handler when it is triggered.
    void bind(const QString& name, std::function<void()> handler);
    // A check-marked command: handler returns the new mark.
    void bindToggle(const QString& name, std::function<bool()> handler, bool initialMark);
    bool isBound(const QString& name) const { return handlers_.contains(name); }

    // Runs a command as if it had been chosen; false when nobody serves it.
    bool trigger(const QString& name);
    QStringList names() const { return actions_.keys(); }

private:
    QHash<QString, QAction*> actions_;
    QHash<QString, std::function<void()>> handlers_;
};

}  // namespace qb
