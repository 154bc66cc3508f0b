#include "forms/KeyFilter.h"

#include <QKeyEvent>

namespace qs::forms {

KeyFilter::KeyFilter(Accepts accepts, QObject* parent)
    : QObject(parent), accepts_(std::move(accepts)) {}

bool KeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (const char32_t c : key->text().toUcs4())
            if (!accepts_(c))
                return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qs::forms
