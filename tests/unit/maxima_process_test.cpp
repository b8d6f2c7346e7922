// The Maxima process and its prompt protocol, against the stand-in Maxima
// of unit/files (a shell script that prints the prompt markers, splits
// them over several writes, asks questions and writes long replies).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "engines/maxima_process.h"
#include "threaded_suite.h"

namespace kalix {

namespace {

const std::string fakeMaxima = std::string(KALIX_UNIT_FILES) + "/maxima";

struct ReplyCase {
    const char* output;
    size_t taken;  // 0: no complete reply yet
    const char* text;
    bool question;
};

TEST(MaximaReplies, AReplyEndsAtTheFinalSuffixAndLosesItsPromptOrQuestionMark) {
    const ReplyCase cases[] = {
        {"(%o1) 3*x^2\n--->(%i2) <---", 26, "(%o1) 3*x^2\n", false},
        {"--->Is x positive, negative or zero?\n<---\n", 42, "Is x positive, negative or zero?\n",
         true},
        // No marker: not complete, whatever it holds.
        {"(%o1) 3*x^2\n--->(%i2) <-", 0, "", false},
        // Output after a marker: the marker was printed text.
        {"(%o1) a\n--->(%i2) <---(%o2) b", 0, "", false},
        {"result <--- here \n(%o2) 4\n--->(%i3) <---", 40, "result <--- here \n(%o2) 4\n", false},
        {"<---\n--->(%i3) <--- \n", 21, "<---\n", false},
        // A reply without prompt prefix (before the markers were set).
        {"text<---", 8, "text", false},
    };
    for (const ReplyCase& c : cases) {
        MaximaReply reply;
        size_t taken = takeMaximaReply(c.output, &reply);
        EXPECT_EQ(taken, c.taken) << c.output;
        if (!taken) continue;
        EXPECT_EQ(reply.text, c.text) << c.output;
        EXPECT_EQ(reply.question, c.question) << c.output;
    }
}

TEST(MaximaReplies, LeadingBlankLinesGoAndTheFirstLabelIsBlanked) {
    std::string text = " \n\t\r\n   2\n(%o12) 3 x\n(%o13) y\n";
    dropLeadingBlankLines(text);
    EXPECT_EQ(text, "   2\n(%o12) 3 x\n(%o13) y\n");
    blankOutputLabel(text);
    EXPECT_EQ(text, "   2\n       3 x\n(%o13) y\n");
    std::string open = "(%o1 without its bracket";
    blankOutputLabel(open);
    EXPECT_EQ(open, "(%o1 without its bracket");
}

bool processExists(pid_t pid) { return pid > 0 && (kill(pid, 0) == 0 || errno != ESRCH); }

class MaximaProcessTest : public ::testing::Test {
  protected:
    MaximaProcess process;
    std::function<bool()> never = [] { return false; };

    void SetUp() override {
        ASSERT_EQ(process.start({fakeMaxima}), 0);
        ASSERT_EQ(greetMaxima(process, {"startup$"}, never), "");
    }

    MaximaReply exchange(const std::string& line) {
        MaximaReply reply;
        EXPECT_TRUE(process.write(line + "\n"));
        EXPECT_EQ(process.readReply(&reply, never), MaximaWait::done) << line;
        return reply;
    }
};

THREADED_SUITE(MaximaProcessTest);

TEST_F(MaximaProcessTest, RepliesStayInStepAlsoWhenTheMarkerComesSplit) {
    EXPECT_EQ(exchange("x;").text, "(%o2) x\n");
    EXPECT_EQ(exchange("split;").text, "(%o3) split\n");
    EXPECT_EQ(exchange("y;").text, "(%o4) y\n");
    EXPECT_EQ(exchange("a$").text, "");
}

TEST_F(MaximaProcessTest, AQuestionIsMarkedAndItsAnswerGetsTheReply) {
    MaximaReply reply = exchange("ask;");
    EXPECT_TRUE(reply.question);
    EXPECT_EQ(reply.text, "Is x positive, negative or zero?\n");
    reply = exchange("positive;");
    EXPECT_FALSE(reply.question);
    EXPECT_NE(reply.text.find("(%o2) positive\n"), std::string::npos) << reply.text;
}

TEST_F(MaximaProcessTest, ALongReplyArrivesWhole) {
    MaximaReply reply = exchange("long;");
    EXPECT_EQ(reply.text.size(), 6 + 200000 + 1u);
    EXPECT_EQ(reply.text.find_first_not_of('a', 6), 200006u);
}

TEST_F(MaximaProcessTest, AWaitEndsWhenCancelledOrWhenTheProcessEnds) {
    ASSERT_TRUE(process.write("hang;\n"));
    MaximaReply reply;
    int polls = 0;
    EXPECT_EQ(process.readReply(&reply, [&] { return ++polls == 3; }), MaximaWait::cancelled);
    EXPECT_EQ(polls, 3);
    pid_t pid = process.processId();
    process.close();
    EXPECT_FALSE(processExists(pid));  // killed and reaped, nothing left
    EXPECT_FALSE(process.write("x;\n"));

    ASSERT_EQ(process.start({fakeMaxima}), 0);
    ASSERT_EQ(greetMaxima(process, {}, never), "");
    ASSERT_TRUE(process.write("quit;\n"));
    EXPECT_EQ(process.readReply(&reply, never), MaximaWait::ended);
    // The end of its output may come before its input is closed: wait
    // until it has exited (left for close() to reap).
    siginfo_t info;
    ASSERT_EQ(waitid(P_PID, id_t(process.processId()), &info, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(process.write("x;\n"));  // no SIGPIPE either
}

TEST(MaximaStart, AProgramThatIsNoMaximaFailsWithoutHanging) {
    MaximaProcess process;
    EXPECT_NE(process.start({"/nonexistent/maxima"}), 0);
    // A program that ends before its first prompt.
    ASSERT_EQ(process.start({"true"}), 0);
    EXPECT_EQ(greetMaxima(process, {}, [] { return false; }),
              "Could not receive results from Maxima!");
}

}  // namespace

}  // namespace kalix
