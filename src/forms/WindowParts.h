#pragma once
// Small parts of the windows: the status line that opens the problems list,
// a frame that shows which box has the focus, the help window, and the
// access keys given to every control.
#include <QDialog>
#include <QLabel>
#include <QWidget>

#include <string>

namespace qs::forms {

// The status line. While it links to something (the problems list) it looks
// like a link, takes the focus, and a click, Space or Enter opens it.
class StatusLabel final : public QLabel {
    Q_OBJECT
  public:
    explicit StatusLabel(QWidget* parent = nullptr);
    void setLinked(bool linked, const QString& toolTip = {});
    bool linked() const { return linked_; }

  signals:
    void activated();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    bool linked_ = false;
};

// Holds one widget and draws a frame in the highlight colour around it while
// it has the focus, for boxes whose style shows none.
class FocusRing final : public QWidget {
    Q_OBJECT
  public:
    FocusRing(QWidget* inner, QWidget* parent = nullptr);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    QWidget* inner_;
};

// The README's account of the window, beside the main window.
class HelpWindow final : public QDialog {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* parent = nullptr);
};

// The usage text the help window shows (Markdown, made from the README when
// the program is built).
const char* UsageMarkdown();

// Gives every button, check box, frame and labelled field under `window`
// that has no access key one: the first letter (then digit) of its caption
// that no other control's key uses, words' first letters first, in the
// order Tab visits them; frames and the check boxes in `lastOnes` last.
// Keys already marked with "&" stay. A control whose letters are all taken
// keeps none.
void AssignAccessKeys(QWidget* window, const std::vector<QWidget*>& lastOnes);

} // namespace qs::forms
