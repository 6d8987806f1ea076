// Every library the reader accepts is written back into a file that reads
// back to the same document, and written again into the same bytes: over a
// corpus of small library files and many deterministic mutations of them.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "library/LibraryRoundTrip.h"
#include "library/LibraryTestSupport.h"

namespace kelta {
namespace {

namespace fs = std::filesystem;

struct TSeed {
  std::string Name;
  std::string Bytes;
};

// The corpus files, in name order so that the mutations are the same on
// every run and machine.
const std::vector<TSeed>& Corpus() {
  static const std::vector<TSeed> seeds = [] {
    std::vector<TSeed> loaded;
    for (const auto& entry : fs::directory_iterator(fs::path(KELTA_SOURCE_DIR) / "tests/library/corpus"))
      if (entry.is_regular_file())
        loaded.push_back({entry.path().filename().string(), test::ReadBytes(entry.path())});
    std::sort(loaded.begin(), loaded.end(), [](const TSeed& a, const TSeed& b) { return a.Name < b.Name; });
    return loaded;
  }();
  return seeds;
}

// Pieces that turn ordinary text into what the reader treats specially: the
// references that put syntax into names, markup openers and closers, quotes.
const std::vector<std::string> Tokens = {
    "&#32;", "&#x20;", "&#9;", "&#10;", "&#13;", "&#47;", "&#x3D;", "&#62;", "&#x3c;", "&#34;", "&#39;",
    "&#38;", "&#33;", "&#63;", "&#0;", "&#xE9;", "&amp;", "&LT;", "&quot;", "&apos;", "&#x;", "&", ";",
    "<!--", "-->", "--", "<![CDATA[", "]]>", "<?", "?>", "<?xml version='1.0'?>", "<!DOCTYPE a [<!x>]>", "</",
    "/>", ">", "<", "='v'", "=\"v\"", " a=\"1\"", "<b/>", "<c>t</c>", "\xEF\xBB\xBF", "\xE9", "\x80", "\0",
    " ", "\r\n", "\t", "'", "\"", "!", "?", "=", "/"};

// One deterministic mutation step; mt19937's output is fixed by the standard,
// so the cases do not depend on the library's distributions.
class TMutator {
 public:
  explicit TMutator(std::uint32_t seed) : Random_(seed) {}

  std::string Mutate(std::string bytes, const std::vector<TSeed>& corpus) {
    const unsigned steps = 1 + Below(4);
    for (unsigned step = 0; step < steps; ++step) {
      const std::size_t at = Below(bytes.size() + 1);
      switch (Below(7)) {
        case 0:  // any byte
          if (at < bytes.size()) bytes[at] = char(Below(256));
          break;
        case 1:  // a token in place of what is there
          if (at < bytes.size()) bytes.replace(at, 1 + Below(3), Tokens[Below(Tokens.size())]);
          break;
        case 2:
        case 3:  // a token inserted
          bytes.insert(at, Tokens[Below(Tokens.size())]);
          break;
        case 4:  // a run removed
          bytes.erase(at, 1 + Below(8));
          break;
        case 5:  // a run repeated
          bytes.insert(at, bytes.substr(at, 1 + Below(16)));
          break;
        default: {  // a run of another file spliced in
          const std::string& other = corpus[Below(corpus.size())].Bytes;
          const std::size_t from = Below(other.size() + 1);
          bytes.insert(at, other.substr(from, 1 + Below(40)));
          break;
        }
      }
    }
    return bytes;
  }

 private:
  std::size_t Below(std::size_t n) { return n ? std::size_t(Random_() % n) : 0; }
  std::mt19937 Random_;
};

TEST(LibraryRoundTrip, EveryCorpusFileIsReadAndComesBackTheSame) {
  ASSERT_GE(Corpus().size(), 20u);
  for (const TSeed& seed : Corpus()) {
    const test::TRoundTripCheck check = test::CheckLibraryRoundTrip(seed.Bytes);
    EXPECT_TRUE(check.Accepted) << seed.Name << ": a corpus file the reader refuses tests nothing";
    EXPECT_TRUE(check.Holds()) << seed.Name << ": " << check.Difference;
  }
}

TEST(LibraryRoundTrip, MutatedFilesTheReaderAcceptsComeBackTheSame) {
  constexpr int MutantsPerSeed = 200;
  const std::vector<TSeed>& corpus = Corpus();
  TMutator mutator(20050617);
  int accepted = 0, failed = 0;
  for (const TSeed& seed : corpus) {
    for (int i = 0; i < MutantsPerSeed; ++i) {
      const std::string mutant = mutator.Mutate(seed.Bytes, corpus);
      const test::TRoundTripCheck check = test::CheckLibraryRoundTrip(mutant);
      accepted += check.Accepted;
      // A few failures show the pattern; thousands would drown it.
      if (!check.Holds() && ++failed <= 5)
        ADD_FAILURE() << "mutant " << i << " of " << seed.Name << ": " << check.Difference;
    }
  }
  RecordProperty("accepted", accepted);
  EXPECT_EQ(failed, 0);
  // Most mutants break the file; enough of them must still be read for the
  // property to have been tried.
  EXPECT_GT(accepted, int(corpus.size()) * MutantsPerSeed / 8);
}

// The check itself finds what it is there to find.
TEST(LibraryRoundTrip, DifferencesAreFoundAndPlaced) {
  TXmlDocument expected = ParseXml("<films><category name=\"A\" memo=\"m\"><!--c--></category></films>");
  struct TCase {
    const char* Change;
    void (*Apply)(TXmlDocument&);
    const char* Found;
  };
  const TCase cases[] = {
      {"attribute name", [](TXmlDocument& d) { d.Root.Children[0].Attributes[1].Name = "memo "; },
       "root <films>/children[0] <category>, attribute 1: name \"memo \" instead of \"memo\""},
      {"attribute value", [](TXmlDocument& d) { d.Root.Children[0].Attributes[0].Value = "B"; },
       "attribute 0 \"name\": value \"B\" instead of \"A\""},
      {"comment text", [](TXmlDocument& d) { d.Root.Children[0].Children[0].Raw = "<!--d-->"; },
       "children[0] <category>/children[0]: comment \"<!--d-->\" instead of \"<!--c-->\""},
      {"child kind", [](TXmlDocument& d) { d.Root.Children[0].Children[0].Kind = TXmlNodeKind::CData; },
       "CDATA section instead of comment"},
      {"element name", [](TXmlDocument& d) { d.Root.Name = "films\t"; }, "root: name \"films\\x09\" instead of"},
      {"epilog", [](TXmlDocument& d) { d.Epilog.push_back(TXmlNode::MakeRaw(TXmlNodeKind::Comment, "<!---->")); },
       "epilog: 1 nodes instead of 0"},
  };
  EXPECT_EQ(test::FirstDocumentDifference(expected, expected), "");
  for (const TCase& c : cases) {
    TXmlDocument actual = expected;
    c.Apply(actual);
    EXPECT_NE(test::FirstDocumentDifference(expected, actual).find(c.Found), std::string::npos)
        << c.Change << ": " << test::FirstDocumentDifference(expected, actual);
  }
  const test::TRoundTripCheck refused = test::CheckLibraryRoundTrip("<films>");
  EXPECT_FALSE(refused.Accepted);
  EXPECT_TRUE(refused.Holds());
}

}  // namespace
}  // namespace kelta
