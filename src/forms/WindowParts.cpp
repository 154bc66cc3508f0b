#include "forms/WindowParts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace qs::forms {

StatusLabel::StatusLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
}

void StatusLabel::setLinked(bool linked, const QString& toolTip) {
    if (linked_ == linked)
        return;
    linked_ = linked;
    QFont f = font();
    f.setUnderline(linked);
    setFont(f);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText,
                     linked ? palette().color(QPalette::Link)
                            : QApplication::palette(this).color(QPalette::WindowText));
    setPalette(colours);
    setCursor(linked ? Qt::PointingHandCursor : Qt::ArrowCursor);
    setFocusPolicy(linked ? Qt::StrongFocus : Qt::NoFocus);
    setToolTip(linked ? toolTip : QString());
}

void StatusLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (linked_ && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit activated();
    QLabel::mouseReleaseEvent(event);
}

void StatusLabel::keyPressEvent(QKeyEvent* event) {
    if (linked_ && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return ||
                    event->key() == Qt::Key_Enter)) {
        emit activated();
        return;
    }
    QLabel::keyPressEvent(event);
}

void StatusLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

FocusRing::FocusRing(QWidget* inner, QWidget* parent) : QWidget(parent), inner_(inner) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(inner);
    inner->installEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    if (watched == inner_ &&
        (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        update();
    return QWidget::eventFilter(watched, event);
}

void FocusRing::paintEvent(QPaintEvent*) {
    if (!inner_->hasFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Quillsift Help"));
    setModal(false);
    auto* text = new QTextBrowser(this);
    text->setObjectName(QStringLiteral("txHelp"));
    text->setOpenExternalLinks(true);
    text->setMarkdown(QString::fromUtf8(UsageMarkdown()));
    auto* close = new QPushButton(QStringLiteral("C&lose"), this);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new FocusRing(text, this), 1);
    layout->addLayout(buttons);
    const QRect screen =
        (parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen())
            ->availableGeometry();
    resize(QSize(720, 640).boundedTo(screen.size() * 9 / 10));
}

namespace {

// The caption that carries the control's access key.
QString captionOf(QWidget* w) {
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(w))
        return frame->title();
    if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy())
        return label->text();
    return {};
}

void setCaption(QWidget* w, const QString& caption) {
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        button->setText(caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(w))
        frame->setTitle(caption);
    else if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(caption);
}

// The key a caption marks with "&", or a null character.
QChar markedKey(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return caption[i + 1].toUpper();
        ++i; // "&&" is an ampersand
    }
    return {};
}

} // namespace

void AssignAccessKeys(QWidget* window, const std::vector<QWidget*>& lastOnes) {
    // The controls in the order Tab visits them; then the labels of fields
    // in the order of their fields, frames and the last ones after.
    std::vector<QWidget*> controls;
    std::vector<QWidget*> later;
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    QWidget* w = window;
    do {
        w = w->nextInFocusChain();
        for (QLabel* label : labels)
            if (label->buddy() == w)
                controls.push_back(label);
        if (qobject_cast<QAbstractButton*>(w) != nullptr)
            (std::find(lastOnes.begin(), lastOnes.end(), w) != lastOnes.end() ? later : controls)
                .push_back(w);
    } while (w != window);
    for (QGroupBox* frame : window->findChildren<QGroupBox*>())
        controls.push_back(frame);
    controls.insert(controls.end(), later.begin(), later.end());

    std::set<QChar> used;
    for (QWidget* control : controls)
        if (const QChar key = markedKey(captionOf(control)); !key.isNull())
            used.insert(key);
    for (QWidget* control : controls) {
        const QString caption = captionOf(control);
        if (caption.isEmpty() || !markedKey(caption).isNull())
            continue;
        // Words' first letters, then the other letters, then digits.
        std::vector<qsizetype> order;
        for (qsizetype i = 0; i < caption.size(); ++i)
            if (caption[i].isLetter() && (i == 0 || !caption[i - 1].isLetterOrNumber()))
                order.push_back(i);
        for (qsizetype i = 0; i < caption.size(); ++i)
            if (caption[i].isLetter() && std::find(order.begin(), order.end(), i) == order.end())
                order.push_back(i);
        for (qsizetype i = 0; i < caption.size(); ++i)
            if (caption[i].isDigit())
                order.push_back(i);
        for (const qsizetype i : order) {
            if (caption[i].unicode() > 127 || !used.insert(caption[i].toUpper()).second)
                continue;
            QString marked = caption;
            marked.insert(i, QLatin1Char('&'));
            setCaption(control, marked);
            break;
        }
    }
}

} // namespace qs::forms
