// Envelope sizes, where the feed puts the envelope on the printer's page, and
// when the page cannot be the envelope.

#include "envelopes/envelope_feed.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(EnvelopeSizes, TheSixteenSizesWithMillimetresAtTheirTrueLength)
{
    ASSERT_EQ(envelopeSizes().size(), 16u);
    struct Case {
        int code;
        double width, height;
        const char* layoutText;
    } cases[] = {
        {20, 9.5, 4.125, "ENVELOPE #10 4 1/8 X 9 1/2 INCHES"},
        {22, 11, 4.75, "ENVELOPE #12 4 3/4 X 11 INCHES"},
        {27, 8.661, 4.331, "ENVELOPE DL 110 X 220 MM"},   // 8.8 by 4.4 at 25 to the inch
        {33, 13.898, 9.843, "ENVELOPE B4  250 X 353 MM"},
        {35, 4.921, 6.929, "ENVELOPE B6  176 X 125 MM"},
        {37, 7.5, 3.875, "ENVELOPE MONARCH 3 7/8 x 7 1/2 INCHES"},
    };
    for (const Case& c : cases) {
        const std::optional<EnvelopeSize> s = envelopeSize(c.code);
        ASSERT_TRUE(s) << c.code;
        EXPECT_NEAR(s->width, c.width, 0.001) << c.code;
        EXPECT_NEAR(s->height, c.height, 0.001) << c.code;
        EXPECT_EQ(s->layoutText, c.layoutText);
    }
    EXPECT_FALSE(envelopeSize(24));
    EXPECT_EQ(envelopeSizes().front().entry, "Envelope #9 3 7/8 x 8 7/8 inches");
}

// Every facing, orientation, position and rotation of a #10 envelope: fed
// portrait on an 11 by 17 page, landscape on an 11 by 8.5 one.
TEST(EnvelopePlacement, EveryFeedOnAPageLargerThanTheEnvelope)
{
    struct Case {
        int facing, orientation, position;
        bool cw;
        double x, y;
    };
    const double slackX = 11 - 9.5, slackY = 8.5 - 4.125;
    std::vector<Case> cases;
    for (bool cw : {false, true}) {
        // Portrait: rotation does not apply; the envelope stands at the top.
        cases.push_back({kFaceUp, kPortrait, kLeft, cw, 0, 0});
        cases.push_back({kFaceUp, kPortrait, kRight, cw, slackX, 0});
        cases.push_back({kFaceUp, kPortrait, kCentre, cw, slackX / 2, 0});
        cases.push_back({kFaceDown, kPortrait, kLeft, cw, slackX, 0});
        cases.push_back({kFaceDown, kPortrait, kRight, cw, 0, 0});
        cases.push_back({kFaceDown, kPortrait, kCentre, cw, slackX / 2, 0});
        // Landscape: the position runs down the page; rotation moves it left.
        const double x = cw ? 0 : slackX;
        cases.push_back({kFaceUp, kLandscape, kLeft, cw, x, 0});
        cases.push_back({kFaceUp, kLandscape, kRight, cw, x, slackY});
        cases.push_back({kFaceUp, kLandscape, kCentre, cw, x, slackY / 2});
        cases.push_back({kFaceDown, kLandscape, kLeft, cw, x, slackY});
        cases.push_back({kFaceDown, kLandscape, kRight, cw, x, 0});
        cases.push_back({kFaceDown, kLandscape, kCentre, cw, x, slackY / 2});
    }
    ASSERT_EQ(cases.size(), 24u);
    for (const Case& c : cases) {
        EnvelopeFeed feed;
        feed.facing = c.facing;
        feed.orientation = c.orientation;
        feed.position = c.position;
        feed.clockWiseRotation = c.cw;
        const bool landscape = c.orientation == kLandscape;
        const QPointF at = envelopePlacement(feed, 11, landscape ? 8.5 : 17, 9.5, 4.125);
        SCOPED_TRACE(feedText(feed).replace("\r\n", "; ").toStdString());
        EXPECT_DOUBLE_EQ(at.x(), c.x);
        EXPECT_DOUBLE_EQ(at.y(), c.y);
    }
}

TEST(EnvelopePlacement, ThePageThatIsTheEnvelopeAndNegativeOffsets)
{
    EnvelopeFeed centredUp;
    centredUp.facing = kFaceUp;
    centredUp.orientation = kPortrait;
    centredUp.position = kCentre;
    // A #10 on a portrait letter page: (8.5 - 9.5) / 2 is below 0.
    EXPECT_EQ(envelopePlacement(centredUp, 8.5, 11, 9.5, 4.125), QPointF(0, 0));
    // On a landscape letter page, face up, centred, with and without rotation.
    EnvelopeFeed landscape = centredUp;
    landscape.orientation = kLandscape;
    EXPECT_EQ(envelopePlacement(landscape, 11, 8.5, 9.5, 4.125), QPointF(1.5, 2.1875));
    landscape.clockWiseRotation = true;
    EXPECT_EQ(envelopePlacement(landscape, 11, 8.5, 9.5, 4.125), QPointF(0, 2.1875));
    // Face down, landscape, left: the far corner.
    EnvelopeFeed down;
    down.facing = kFaceDown;
    down.orientation = kLandscape;
    down.position = kLeft;
    EXPECT_EQ(envelopePlacement(down, 11, 8.5, 9.5, 4.125), QPointF(1.5, 8.5 - 4.125));
    // A page reported as 9.52 by 4.13 is the #10 itself, whatever the feed.
    EXPECT_EQ(envelopePlacement(down, 9.52, 4.13, 9.5, 4.125), QPointF(0, 0));
}

TEST(EnvelopePaper, TheWarningWhenThePageIsMoreThanAnInchOff)
{
    struct Case {
        double pw, ph;
        bool warned;
    } cases[] = {
        {9.5, 4.125, false},   // the #10 itself
        {10.5, 5.125, false},  // exactly an inch larger both ways
        {10.51, 4.125, true},  // a little more than an inch wider
        {4.125, 9.5, true},    // the envelope, but portrait
        {11, 8.5, true},       // landscape letter
        {8.5, 11, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(paperMismatch(9.5, 4.125, c.pw, c.ph), c.warned) << c.pw << " x " << c.ph;
}

TEST(EnvelopeFeedText, SaysWhatTheFeedIs)
{
    EnvelopeFeed f;   // landscape, face down, centred
    EXPECT_EQ(feedText(f), "Position: Center\r\nOrientation : Landscape\r\nFacing Down");
    f.clockWiseRotation = true;
    f.position = kLeft;
    f.orientation = kPortrait;
    f.facing = kFaceUp;
    EXPECT_EQ(feedText(f), "Position: Left\r\nOrientation : Portrait\r\nClockwise Rotation\r\nFacing Up");
}

} // namespace
} // namespace qb
