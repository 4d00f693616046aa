#include "shell/CommandRegistry.h"

namespace qb {

QAction* CommandRegistry::action(const QString& name)
{
    auto it = actions_.find(name);
    if (it != actions_.end()) return *it;
    auto* a = new QAction(this);
    a->setObjectName(name);
    a->setEnabled(false);
    connect(a, &QAction::triggered, this, [this, name] { trigger(name); });
    actions_.insert(name, a);
    return a;
}

void CommandRegistry::bind(const QString& name, std::function<void()> handler)
{
    QAction* a = action(name);
    handlers_.insert(name, std::move(handler));
    a->setEnabled(true);
}

void CommandRegistry::bindToggle(const QString& name, std::function<bool()> handler,
                                 bool initialMark)
{
    QAction* a = action(name);
    a->setCheckable(true);
    a->setChecked(initialMark);
    bind(name, [a, handler = std::move(handler)] { a->setChecked(handler()); });
}

bool CommandRegistry::trigger(const QString& name)
{
    auto it = handlers_.find(name);
    if (it == handlers_.end()) return false;
    // Copy: the handler may rebind commands while it runs.
    auto handler = *it;
    handler();
    return true;
}

}  // namespace qb
