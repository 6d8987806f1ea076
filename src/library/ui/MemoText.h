#pragma once
// Memos keep CR LF line ends in the library, as libraries made on Windows
// have them; the memo editors work with LF.

#include <string>

#include <QString>

namespace kelta {

std::u16string MemoFromEditor(const QString& text);
QString MemoToEditor(const std::u16string& memo);

}  // namespace kelta
