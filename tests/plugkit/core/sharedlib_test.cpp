#include "plugkit/core/sharedlib.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace plugkit;

namespace
{

double (*gCos)(double) = nullptr;

class MathLoader : public SharedLibLoader
{
public:
    explicit MathLoader(const char* symbol) : SharedLibLoader("libm.so.6"), symbol_(symbol) {}

protected:
    void loadSymbols() override { bindFunction(gCos, symbol_); }

private:
    const char* symbol_;
};

} // namespace

TEST(SharedLibLoader, BindsFunctionsOfTheOpenedLibrary)
{
    MathLoader loader("cos");
    EXPECT_FALSE(loader.isLoaded());
    loader.load();
    EXPECT_TRUE(loader.isLoaded());
    ASSERT_NE(gCos, nullptr);
    EXPECT_EQ(gCos(0.0), 1.0);
    EXPECT_EQ(gCos(2.0), std::cos(2.0));
}

TEST(SharedLibLoader, UnopenableLibraryIsFatal)
{
    class Nothing : public SharedLibLoader
    {
    public:
        Nothing() : SharedLibLoader("/nonexistent/libnothing.so") {}

    protected:
        void loadSymbols() override {}
    };
    Nothing loader;
    EXPECT_DEATH(loader.load(), "cannot open library /nonexistent/libnothing\\.so");
}

TEST(SharedLibLoader, MissingSymbolIsFatal)
{
    MathLoader loader("no_such_function_here");
    EXPECT_DEATH(loader.load(), "symbol no_such_function_here not found in libm\\.so\\.6");
}
