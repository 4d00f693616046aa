#include "cards/DragPayload.h"

#include <gtest/gtest.h>

using namespace qb;

TEST(DragPayload, SurvivesEncodingAndRejectsGarbage)
{
    DragPayload p;
    p.source = DragPayload::Source::ConceptWord;
    p.wordNo = 4711;
    p.word = QStringLiteral("très \"long\" %_word ") + QString(60, QLatin1Char('x'));
    p.conceptId = -46364.581071L;
    p.itemId = -46000.5L;
    p.project = QStringLiteral("MY PROJECT");
    p.position = 3;
    DragPayload back = DragPayload::decode(p.encode());
    EXPECT_EQ(back.source, p.source);
    EXPECT_EQ(back.wordNo, 4711);
    EXPECT_EQ(back.word, p.word.left(DragPayload::kMaxWordLength));
    EXPECT_DOUBLE_EQ(double(back.conceptId), double(p.conceptId));
    EXPECT_DOUBLE_EQ(double(back.itemId), double(p.itemId));
    EXPECT_EQ(back.project, p.project);
    EXPECT_EQ(back.position, 3);
    EXPECT_EQ(DragPayload::decode(QByteArray("\xff\xff\xff\x7f garbage", 12)).source,
              DragPayload::Source::None);
}
