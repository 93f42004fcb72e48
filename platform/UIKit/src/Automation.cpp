#include "Automation.h"

#include <UIKit/UIKit.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QToolBar>
#include <cstdlib>

#include "NavigationView.h"
#include "PickerWidget.h"
#include "StatusBarWidget.h"
#include "SwitchWidget.h"
#include "TableWidget.h"
#include "TouchActivity.h"
#include "ViewAnchor.h"
#include "WebWidget.h"
#include "WindowWidget.h"

namespace uikit {
namespace {

QString ok(const QString& payload = {}) {
    return payload.isEmpty() ? QStringLiteral("ok") : QStringLiteral("ok ") + payload;
}
QString error(const QString& why) { return QStringLiteral("error ") + why; }
QString json(const QJsonValue& value) {
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact));
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact));
    return value.toVariant().toString();
}

// The widgets the user can see now, the newest alert's first.
QList<QWidget*> visibleWidgets() {
    QList<QWidget*> result;
    const auto alerts = UIAlertView::visibleAlerts();
    for (auto it = alerts.rbegin(); it != alerts.rend(); ++it)
        if (QWidget* w = (*it)->widget()) {
            result << w;
            result << w->findChildren<QWidget*>();
        }
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible()) continue;
        result << top;
        for (QWidget* w : top->findChildren<QWidget*>())
            if (w->isVisible() && !result.contains(w)) result << w;
    }
    return result;
}

QWidget* findWidget(const QString& name) {
    for (QWidget* w : visibleWidgets())
        if (w->objectName() == name) return w;
    return nullptr;
}

QAction* findAction(const QString& name) {
    for (QWidget* w : visibleWidgets()) {
        for (QAction* a : w->actions())
            if (a->objectName() == name || a->text() == name) return a;
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            if (auto* tool = qobject_cast<QToolButton*>(button))
                if (QAction* a = tool->defaultAction())
                    if (a->objectName() == name || a->text() == name) return a;
    }
    return nullptr;
}

QAbstractButton* findButton(const QString& text) {
    for (QWidget* w : visibleWidgets())
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            if (b->text() == text || b->text() == QStringLiteral("\u2039 ") + text) return b;
    return nullptr;
}

template <class T>
T* viewNamed(const QString& name) {
    QWidget* w = findWidget(name);
    return w ? dynamic_cast<T*>(UIView::viewForWidget(w)) : nullptr;
}

template <class T>
T* firstVisible() {
    for (QWidget* w : visibleWidgets())
        if (auto* v = dynamic_cast<T*>(UIView::viewForWidget(w))) return v;
    return nullptr;
}

QString tap(const QString& name) {
    if (const auto alerts = UIAlertView::visibleAlerts(); !alerts.empty()) {
        // An alert covers the app: only its buttons take taps.
        UIAlertView* top = alerts.back();
        for (NSInteger i = 0; i < top->numberOfButtons(); ++i)
            if (QString::fromStdString(top->buttonTitleAtIndex(i)) == name) {
                top->dismissWithClickedButtonIndexAnimated(i, YES);
                return ok();
            }
        return error(QStringLiteral("an alert is up; it has no button \"%1\"").arg(name));
    }
    if (QWidget* w = findWidget(name)) {
        if (!w->isEnabled()) return error(QStringLiteral("\"%1\" is disabled").arg(name));
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->click();
            return ok();
        }
    }
    if (QAction* a = findAction(name)) {
        if (!a->isEnabled()) return error(QStringLiteral("\"%1\" is disabled").arg(name));
        a->trigger();
        return ok();
    }
    if (QAbstractButton* b = findButton(name)) {
        if (!b->isEnabled()) return error(QStringLiteral("\"%1\" is disabled").arg(name));
        b->click();
        return ok();
    }
    return error(QStringLiteral("nothing named \"%1\" on the screen").arg(name));
}

QString tapRow(const QStringList& args) {
    if (args.size() != 3) return error(QStringLiteral("usage: tap-row TABLE SECTION ROW"));
    auto* table = args[0] == QLatin1String("-") ? firstVisible<UITableView>()
                                                : viewNamed<UITableView>(args[0]);
    if (!table) return error(QStringLiteral("no table \"%1\" on the screen").arg(args[0]));
    bool s = false, r = false;
    const int section = args[1].toInt(&s), row = args[2].toInt(&r);
    if (!s || !r || section < 0 || row < 0) return error(QStringLiteral("bad row"));
    const auto path = NSIndexPath::indexPathForRowInSection(static_cast<NSUInteger>(row),
                                                            static_cast<NSUInteger>(section));
    if (!table->cellForRowAtIndexPath(path)) return error(QStringLiteral("no such row"));
    table->tapRowAtIndexPath(path);
    return ok();
}

QString pick(const QStringList& args) {
    if (args.size() != 3) return error(QStringLiteral("usage: pick PICKER COMPONENT ROW"));
    auto* picker = args[0] == QLatin1String("-") ? firstVisible<UIPickerView>()
                                                 : viewNamed<UIPickerView>(args[0]);
    if (!picker) return error(QStringLiteral("no picker \"%1\" on the screen").arg(args[0]));
    bool c = false, r = false;
    const int component = args[1].toInt(&c), row = args[2].toInt(&r);
    if (!c || !r || row < 0 || row >= picker->numberOfRowsInComponent(component))
        return error(QStringLiteral("no such row"));
    picker->userSelectRowInComponent(row, component);
    return ok();
}

QString followLink(const QStringList& args) {
    if (args.size() != 2) return error(QStringLiteral("usage: follow-link WEBVIEW HREF"));
    auto* web =
        args[0] == QLatin1String("-") ? firstVisible<UIWebView>() : viewNamed<UIWebView>(args[0]);
    if (!web) return error(QStringLiteral("no web view \"%1\" on the screen").arg(args[0]));
    web->followLink(args[1].toStdString());
    return ok();
}

QJsonObject describe(QWidget* w) {
    QJsonObject o;
    o[QStringLiteral("name")] = w->objectName();
    o[QStringLiteral("enabled")] = w->isEnabled();
    UIView* view = UIView::viewForWidget(w);
    if (auto* s = dynamic_cast<UISwitch*>(view)) o[QStringLiteral("on")] = s->isOn();
    if (auto* l = qobject_cast<QLabel*>(w)) o[QStringLiteral("text")] = l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) o[QStringLiteral("text")] = b->text();
    if (auto* t = dynamic_cast<UITableView*>(view)) {
        QJsonArray sections;
        for (NSInteger s = 0; s < t->numberOfSections(); ++s)
            sections.append(static_cast<int>(t->numberOfRowsInSection(s)));
        o[QStringLiteral("sections")] = sections;
        if (auto sel = t->indexPathForSelectedRow())
            o[QStringLiteral("selected")] =
                QJsonArray{static_cast<int>(sel->section()), static_cast<int>(sel->row())};
    }
    if (auto* p = dynamic_cast<UIPickerView*>(view)) {
        QJsonArray rows;
        for (NSInteger c = 0; c < p->numberOfComponents(); ++c)
            rows.append(static_cast<int>(p->selectedRowInComponent(c)));
        o[QStringLiteral("selectedRows")] = rows;
    }
    if (auto* web = dynamic_cast<UIWebView*>(view)) {
        o[QStringLiteral("url")] =
            web->request() ? QString::fromStdString(web->request()->URL().absoluteString())
                           : QString();
        o[QStringLiteral("canGoBack")] = web->canGoBack();
        o[QStringLiteral("canGoForward")] = web->canGoForward();
        o[QStringLiteral("loading")] = web->isLoading();
        o[QStringLiteral("text")] = QString::fromStdString(web->pageText());
    }
    if (auto* spinner = dynamic_cast<UIActivityIndicatorView*>(view))
        o[QStringLiteral("animating")] = spinner->isAnimating();
    return o;
}

QJsonObject state() {
    QJsonObject o;
    QJsonArray alerts;
    for (UIAlertView* a : UIAlertView::visibleAlerts()) {
        QJsonArray buttons;
        for (NSInteger i = 0; i < a->numberOfButtons(); ++i)
            buttons.append(QString::fromStdString(a->buttonTitleAtIndex(i)));
        alerts.append(QJsonObject{
            {QStringLiteral("title"), QString::fromStdString(a->title().value_or(""))},
            {QStringLiteral("message"), QString::fromStdString(a->message().value_or(""))},
            {QStringLiteral("buttons"), buttons}});
    }
    o[QStringLiteral("alerts")] = alerts;
    QString title;
    QJsonArray items;
    QJsonArray buttons;
    QJsonObject widgets;
    for (QWidget* w : visibleWidgets()) {
        if (auto* bar = dynamic_cast<NavigationBar*>(w)) {
            title = bar->title();  // the last visible bar is the one on top
            buttons = QJsonArray();
            for (QWidget* b : bar->buttons())
                if (auto* button = qobject_cast<QAbstractButton*>(b))
                    buttons.append(QJsonObject{{QStringLiteral("text"), button->text()},
                                               {QStringLiteral("enabled"), button->isEnabled()}});
        }
        if (auto* statusBar = dynamic_cast<StatusBarWidget*>(w)) {
            statusBar->refresh();
            items = QJsonArray::fromStringList(statusBar->items());
        }
        if (!w->objectName().isEmpty() && ViewAnchor::of(w)) widgets[w->objectName()] = describe(w);
    }
    for (QWidget* w : visibleWidgets())
        for (QAction* a : w->actions())
            if (!a->objectName().isEmpty())
                widgets[a->objectName()] = QJsonObject{{QStringLiteral("text"), a->text()},
                                                       {QStringLiteral("enabled"), a->isEnabled()}};
    o[QStringLiteral("title")] = title;
    o[QStringLiteral("barButtons")] = buttons;
    o[QStringLiteral("statusBar")] = items;
    o[QStringLiteral("widgets")] = widgets;
    return o;
}

QString screenshot(const QString& file) {
    UIWindow* window = UIWindow::keyWindow();
    if (!window) return error(QStringLiteral("no window"));
    if (!window->widget()->grab().save(file, "PNG"))
        return error(QStringLiteral("cannot write %1").arg(file));
    return ok(file);
}

}  // namespace

QString Automation::run(const QString& line) {
    QStringList words = line.trimmed().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) return error(QStringLiteral("empty command"));
    const QString command = words.takeFirst();
    const QString rest = line.trimmed().mid(command.size()).trimmed();
    if (command == QLatin1String("ping")) return ok(QStringLiteral("pong"));
    // What the user does with a finger is a touch; looking (state, screenshot) is none.
    static const QStringList kTouches{QStringLiteral("tap"), QStringLiteral("tap-row"),
                                      QStringLiteral("pick"), QStringLiteral("follow-link")};
    if (kTouches.contains(command)) TouchActivity::touchedNow();
    if (command == QLatin1String("tap")) return tap(rest);
    if (command == QLatin1String("tap-row")) return tapRow(words);
    if (command == QLatin1String("pick")) return pick(words);
    if (command == QLatin1String("follow-link")) return followLink(words);
    if (command == QLatin1String("state")) return ok(json(state()));
    if (command == QLatin1String("get")) {
        QWidget* w = findWidget(rest);
        return w ? ok(json(describe(w))) : error(QStringLiteral("nothing named \"%1\"").arg(rest));
    }
    if (command == QLatin1String("screenshot")) return screenshot(rest);
    if (command == QLatin1String("quit")) {
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        return ok();
    }
    return error(QStringLiteral("unknown command \"%1\"").arg(command));
}

std::unique_ptr<Automation> Automation::fromEnvironment() {
    const char* path = std::getenv("VIGILANT_UI_AUTOMATION");
    if (!path || !*path) return nullptr;
    return std::make_unique<Automation>(QString::fromLocal8Bit(path));
}

Automation::Automation(const QString& path)
    : server_(path.toStdString(),
              [](const QByteArray& line) { return run(QString::fromUtf8(line)).toUtf8(); }) {
    if (!server_.listening())
        std::fprintf(stderr, "%s: cannot listen on %s: %s\n",
                     qPrintable(QCoreApplication::applicationName()), qPrintable(path),
                     server_.error().c_str());
}

Automation::~Automation() = default;

}  // namespace uikit
