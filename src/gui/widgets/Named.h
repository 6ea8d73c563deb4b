#pragma once

#include <QString>

namespace tervis {

// A new widget, layout or action with its object name, which tests and look-ups by name find it by.
template <typename Object>
Object* Named(Object* object, const QString& name) {
    object->setObjectName(name);
    return object;
}

}  // namespace tervis
