// Placeholder until the coding operations land.
#include "retrieval/lexicalengine.h"
namespace retrieval {
class LexicalEngine::AutoCoder {};
qint32 LexicalEngine::AutoCode(AutoCoder&, Extent, bool, bool*, bool*) { return 0; }
qint32 LexicalEngine::RunAutoCoding(CKorDoc&, qint32, const std::function<qint32(AutoCoder&)>&) { return 0; }
qint32 LexicalEngine::AutoCodeHits(CKorDoc&, qint32, bool) { return 0; }
qint32 LexicalEngine::AutoCodeHitSentences(CKorDoc&, qint32, bool&) { return 0; }
qint32 LexicalEngine::AutoCodeHitParagraphs(CKorDoc&, qint32, bool&, bool&) { return 0; }
qint32 LexicalEngine::AutoCodeHitsRemaining(CKorDoc&, qint32) { return 0; }
qint32 LexicalEngine::AutoCodeSearchHits(CKorDoc&, qint32) { return 0; }
}
