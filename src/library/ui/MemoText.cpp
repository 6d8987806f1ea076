#include "library/ui/MemoText.h"

namespace kelta {

std::u16string MemoFromEditor(const QString& text) {
  QString memo = text;
  memo.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  memo.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return memo.toStdU16String();
}

QString MemoToEditor(const std::u16string& memo) {
  return QString::fromStdU16String(memo).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace kelta
