#pragma once

#include <QObject>

namespace qb {

// The help topic of a window or dialog. F1 opens the topic of the nearest widget up from the one
// with the focus that carries it.
inline constexpr const char* kHelpTopicProperty = "qbHelpTopic";

inline void SetHelpTopic(QObject* window, int topic)
{
    window->setProperty(kHelpTopicProperty, topic);
}

}  // namespace qb
