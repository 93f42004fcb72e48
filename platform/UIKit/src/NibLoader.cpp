#include "NibLoader.h"

#include <UIKit/UIKit.h>
#include <backend/Backend.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QUiLoader>
#include <cstdio>
#include <map>

namespace uikit {
namespace {

void warn(const NSString& nib, const QString& what) {
    std::fprintf(stderr, "%s: interface file %s: %s\n",
                 NSProcessInfo::processInfo().processName().c_str(), nib.c_str(),
                 what.toLocal8Bit().constData());
}

// QUiLoader's constructor loads every Qt Designer plugin it finds (Qt Quick's among them,
// some 10 ms of loading before the first frame); the interface files use none. Hiding the
// library paths while it is made keeps it from looking.
class PluginPathsHidden {
  protected:
    PluginPathsHidden() : saved_(QCoreApplication::libraryPaths()) {
        QCoreApplication::setLibraryPaths({});
    }
    void restore() { QCoreApplication::setLibraryPaths(saved_); }

  private:
    QStringList saved_;
};

// Makes the UIKit classes' widgets, each with its view.
class Loader : private PluginPathsHidden, public QUiLoader {
  public:
    Loader() { restore(); }

    QWidget* createWidget(const QString& className, QWidget* parent, const QString& name) override {
        UIView* view = make(className);
        if (!view) return QUiLoader::createWidget(className, parent, name);
        QWidget* widget = view->widget();
        widget->setObjectName(name);
        if (parent) widget->setParent(parent);
        return widget;
    }

  private:
    static UIView* make(const QString& cls) {
        if (cls == QLatin1String("UIWindow")) return new UIWindow;
        if (cls == QLatin1String("UILabel") || cls == QLatin1String("QLabel")) return new UILabel;
        if (cls == QLatin1String("UISwitch")) return new UISwitch;
        if (cls == QLatin1String("UITableView"))
            return new UITableView(CGRectZero, UITableViewStylePlain);
        if (cls == QLatin1String("UITableViewCell")) return new UITableViewCell;
        if (cls == QLatin1String("UIPickerView")) return new UIPickerView;
        if (cls == QLatin1String("UIWebView")) return new UIWebView;
        if (cls == QLatin1String("UIActivityIndicatorView"))
            return new UIActivityIndicatorView(UIActivityIndicatorViewStyleGray);
        if (cls == QLatin1String("UIView") || cls == QLatin1String("QWidget")) return new UIView;
        return nullptr;
    }
};

QStringList listProperty(const QWidget* root, const char* name) {
    return root->property(name).toStringList();
}

class Connector {
  public:
    Connector(const NSString& nib, QWidget* root, UIResponder* owner, Nib& result)
        : nib_(nib), root_(root), owner_(owner), result_(result) {}

    void run() {
        for (const QString& line : listProperty(root_, "uiObjects")) makeObject(line);
        for (const QString& line : listProperty(root_, "uiAttributes")) setAttribute(line);
        for (const QString& line : listProperty(root_, "uiOutlets")) connectOutlet(line);
        for (const QString& line : listProperty(root_, "uiActions")) connectAction(line);
    }

  private:
    UIResponder* find(const QString& name) {
        if (name == QLatin1String("owner")) return owner_;
        if (auto it = objects_.find(name); it != objects_.end()) return it->second;
        if (root_->objectName() == name) return UIView::viewForWidget(root_);
        if (auto* widget = root_->findChild<QWidget*>(name)) return UIView::viewForWidget(widget);
        if (auto* action = root_->findChild<QAction*>(name))
            return UIBarButtonItem::itemForAction(action);
        warn(nib_, QStringLiteral("no object named \"%1\"").arg(name));
        return nullptr;
    }

    void makeObject(const QString& line) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString name = line.left(colon).trimmed();
        const QString cls = line.mid(colon + 1).trimmed();
        if (colon < 0 || name.isEmpty() || cls.isEmpty()) {
            warn(nib_, QStringLiteral("bad object line \"%1\"").arg(line));
            return;
        }
        auto object = UICreateObjectOfClass(cls.toStdString());
        if (!object) {
            warn(nib_, QStringLiteral("no class named \"%1\"").arg(cls));
            return;
        }
        objects_[name] = object.get();
        result_.objects.push_back(std::move(object));
    }

    // "NAME.KEY = VALUE" -> object, key, value.
    bool split(const QString& line, UIResponder*& object, QString& key, QString& value) {
        const qsizetype eq = line.indexOf(QLatin1String(" = "));
        const QString left = line.left(eq).trimmed();
        const qsizetype dot = left.indexOf(QLatin1Char('.'));
        if (eq < 0 || dot <= 0) {
            warn(nib_, QStringLiteral("bad line \"%1\"").arg(line));
            return false;
        }
        object = find(left.left(dot));
        key = left.mid(dot + 1);
        value = line.mid(eq + 3).trimmed();
        return object != nullptr;
    }

    void setAttribute(const QString& line) {
        UIResponder* object;
        QString key, value;
        if (!split(line, object, key, value)) return;
        if (!object->setAttributeNamed(key.toStdString(), value.toStdString()))
            warn(nib_, QStringLiteral("no attribute for \"%1\"").arg(line));
    }

    void connectOutlet(const QString& line) {
        UIResponder* object;
        QString key, value;
        if (!split(line, object, key, value)) return;
        UIResponder* target = value == QLatin1String("nil") ? nullptr : find(value);
        if (!target && value != QLatin1String("nil")) return;
        if (!object->setOutletNamed(key.toStdString(), target))
            warn(nib_, QStringLiteral("cannot connect \"%1\"").arg(line));
    }

    void connectAction(const QString& line) {
        const qsizetype arrow = line.indexOf(QLatin1String("->"));
        const QString right = line.mid(arrow + 2).trimmed();
        const qsizetype dot = right.lastIndexOf(QLatin1Char('.'));
        if (arrow < 0 || dot <= 0) {
            warn(nib_, QStringLiteral("bad action line \"%1\"").arg(line));
            return;
        }
        UIResponder* sender = find(line.left(arrow).trimmed());
        UIResponder* target = find(right.left(dot));
        const NSString action = right.mid(dot + 1).toStdString();
        if (!sender || !target) return;
        if (!target->respondsToSelector(action))
            warn(nib_, QStringLiteral("the target has no action in \"%1\"").arg(line));
        if (auto* item = dynamic_cast<UIBarButtonItem*>(sender)) {
            item->setTarget(target);
            item->setAction(action);
        } else if (auto* control = dynamic_cast<UIControl*>(sender)) {
            const UIControlEvents events = dynamic_cast<UISwitch*>(control)
                                               ? UIControlEventValueChanged
                                               : UIControlEventTouchUpInside;
            control->addTargetActionForControlEvents(target, action, events);
        } else {
            warn(nib_, QStringLiteral("the sender sends no actions in \"%1\"").arg(line));
        }
    }

    const NSString& nib_;
    QWidget* root_;
    UIResponder* owner_;
    Nib& result_;
    std::map<QString, UIResponder*> objects_;
};

}  // namespace

NSString nibPath(const NSString& name, NSBundle* bundle) {
    NSBundle& b = bundle ? *bundle : NSBundle::mainBundle();
    return platform::hostPath(b.resourcePath() + "/" + name + ".ui");
}

Nib loadNib(const NSString& name, NSBundle* bundle, UIResponder* owner) {
    Nib result;
    const QString path = QString::fromStdString(nibPath(name, bundle));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        warn(name, QStringLiteral("cannot read %1").arg(path));
        return result;
    }
    Loader loader;
    loader.setWorkingDirectory(QFileInfo(path).absoluteDir());
    result.root = loader.load(&file);
    if (!result.root) {
        warn(name, loader.errorString().isEmpty() ? QStringLiteral("not an interface file")
                                                  : loader.errorString());
        return result;
    }
    Connector(name, result.root, owner, result).run();
    return result;
}

}  // namespace uikit
