#include "library/ui/SearchFold.h"

#include <QRegularExpression>
#include <algorithm>

namespace kelta {

namespace {

// Letters that carry their mark in the letter itself and so keep it after
// decomposition, and the ligatures people type as two letters.
QString SpelledOut(QChar c) {
  switch (c.unicode()) {
    case u'ß': return QStringLiteral("ss");
    case u'æ': return QStringLiteral("ae");
    case u'œ': return QStringLiteral("oe");
    case u'ø': return QStringLiteral("o");
    case u'đ': return QStringLiteral("d");
    case u'ð': return QStringLiteral("d");
    case u'ł': return QStringLiteral("l");
    case u'ı': return QStringLiteral("i");
    case u'þ': return QStringLiteral("th");
    default: return QString(c);
  }
}

}  // namespace

std::u16string FoldForSearch(std::u16string text) {
  // Most names are plain ASCII: lower case is all they need, in place, and a
  // library of thousands of images is folded quickly on the first keystroke.
  if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
    for (char16_t& c : text)
      if (c >= u'A' && c <= u'Z') c = char16_t(c + (u'a' - u'A'));
    return text;
  }
  // Compatibility decomposition parts letters from their marks (and
  // ligatures such as "ﬁ" into their letters); the marks are dropped.
  const QString decomposed = QString::fromStdU16String(text)
                                 .normalized(QString::NormalizationForm_KD)
                                 .toCaseFolded();
  QString folded;
  folded.reserve(decomposed.size());
  for (QChar c : decomposed) {
    if (c.isMark()) continue;
    folded += SpelledOut(c);
  }
  return folded.toStdU16String();
}

std::vector<std::u16string> SearchWords(const QString& typed) {
  std::vector<std::u16string> words;
  for (const QString& word : typed.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
    words.push_back(FoldForSearch(word.toStdU16String()));
  return words;
}

}  // namespace kelta
