#pragma once
// Discards typed characters that a text box refuses; pasted text is not
// filtered (it does not arrive as key presses).
#include <QObject>

#include <functional>

namespace qs::forms {

class KeyFilter final : public QObject {
    Q_OBJECT
  public:
    using Accepts = std::function<bool(char32_t)>;
    KeyFilter(Accepts accepts, QObject* parent);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Accepts accepts_;
};

} // namespace qs::forms
