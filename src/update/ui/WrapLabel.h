#pragma once
// A plain-text label that keeps every word inside its width: it wraps at
// spaces and, where one word alone is wider than a line (a long version text
// or address from the server), breaks inside that word instead of letting it
// run past the edge. The text is always drawn from the top left.

#include <QLabel>
#include <QStringList>

namespace kelta {

class TWrapLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TWrapLabel(QWidget* parent = nullptr);

  // The text as it is drawn at the current width, one entry per line.
  QStringList Lines() const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace kelta
