#pragma once
// What the desk tests share: a step a person could not take fails the test, and controls are
// found as a person (and a screen reader) finds them, by their accessible names.
#include "app/ControlDriver.h"
#include <QLabel>
#include <QTest>
#include <QWidget>

#define STEP(action)                                                                                                   \
    do {                                                                                                               \
        try {                                                                                                          \
            action;                                                                                                    \
        } catch (const app::control::StepRefused& e) {                                                                 \
            QFAIL(qPrintable(e.reason));                                                                               \
        }                                                                                                              \
    } while (0)

inline QWidget* named(QWidget* top, const QString& name)
{
    for (QWidget* w : top->findChildren<QWidget*>())
        if (w->accessibleName() == name) return w;
    qFatal("the desk has no control named %s", qPrintable(name));
}

inline QString labelText(QWidget* top, const QString& name) { return qobject_cast<QLabel*>(named(top, name))->text(); }
