#pragma once

#include <QString>

class QGroupBox;
class QLayout;
class QWidget;

namespace kalmora {

// A captioned frame that tests find by its object name (empty: a frame no one looks for). Its
// content is a layout, or a single control stacked in one; without content the caller lays it out.
QGroupBox* Frame(const QString& objectName, const QString& caption);
QGroupBox* Frame(const QString& objectName, const QString& caption, QLayout* content);
QGroupBox* Frame(const QString& objectName, const QString& caption, QWidget* content);

}  // namespace kalmora
