#pragma once
// In test programs a fatal report throws instead of ending the process, so a
// test can check that one was made and with which text.
#include <string>

struct FatalReported {
    std::string message;
    int number;
};

// The message of the fatal report `call` makes; fails the test if none.
#define EXPECT_FATAL(call, expectedMessage)                          \
    do {                                                             \
        bool reported_ = false;                                      \
        try {                                                        \
            (void)(call);                                            \
        } catch (const FatalReported& fatal_) {                      \
            reported_ = true;                                        \
            EXPECT_EQ(fatal_.message, std::string(expectedMessage)); \
        }                                                            \
        EXPECT_TRUE(reported_) << "no fatal report from " #call;     \
    } while (0)
