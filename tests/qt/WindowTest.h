#pragma once
// What the window's Qt Test programs share: the window fixture of the test support and Qt Test's
// main on the offscreen platform.
#include <QAbstractItemModel>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/LegacyGridModel.h"
#include "app/Pairs.h"
#include "legacy/LegacyTables.h"
#include "target/field/Win1252.h"
#include "tests/support/WindowFixture.h"

// Qt Test's main for the window tests: the offscreen platform unless another one is asked for.
#define MIG_WINDOW_TEST_MAIN(TestClass)                                                   \
    int main(int argc, char* argv[]) {                                                    \
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen"); \
        QApplication app(argc, argv);                                                     \
        TestClass test;                                                                   \
        return QTest::qExec(&test, argc, argv);                                           \
    }
