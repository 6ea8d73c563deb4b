#pragma once

// The bare Qt Widgets main window the start-up figures are compared with: a menu bar, a toolbar, a status
// bar and a label, as the configurator's window has them.

#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <memory>

inline std::unique_ptr<QMainWindow> MakeBareWindow() {
    auto window = std::make_unique<QMainWindow>();
    window->menuBar()->addMenu("&Файл")->addAction("Выход");
    window->addToolBar("ToolBar1")->addAction("Новая конфигурация");
    window->setCentralWidget(new QLabel("Tervis"));
    window->statusBar()->showMessage("Нет связи");
    return window;
}
