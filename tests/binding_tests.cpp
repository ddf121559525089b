// Binding as the host sees it: the names asked, in order, the announcements,
// and the result, with a fresh plug-in in every test.

#include <gmock/gmock.h>

#include <algorithm>

#include "tests/kit/plugin_fixture.h"

using testing::ElementsAre;
using testing::ElementsAreArray;
using testing::IsEmpty;

namespace {

const UINT kVariable = 30000;
const UINT kFunction = 30001;

std::vector<std::string> Prefix(const std::vector<std::string>& names, const std::string& last)
{
    auto end = std::find(names.begin(), names.end(), last);
    return std::vector<std::string>(names.begin(), end == names.end() ? end : end + 1);
}

bool IsOptional(const std::string& name)
{
    const auto& optional = sim::OptionalVariableNames();
    return std::find(optional.begin(), optional.end(), name) != optional.end();
}

std::vector<std::string> RequiredVariables()
{
    std::vector<std::string> names;
    for (const std::string& n : sim::VariableNames()) {
        if (!IsOptional(n))
            names.push_back(n);
    }
    return names;
}

std::string ParamName(const testing::TestParamInfo<std::string>& info)
{
    std::string name;
    for (char c : info.param)
        name += isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name + "_" + std::to_string(info.index);
}

std::vector<std::string> AnnouncedNames()
{
    std::vector<std::string> names;
    for (const sim::Announcement& a : sim::Announcements())
        names.push_back(a.name);
    return names;
}

const char* const kStateVariables[] = {
    "fGlobalMilliSecondsPerSample", "uiGlobalBlockSize",          "bAnimation", "bExperimentIsRunning",
    "bExperimentIsPaused",          "dwExperimentStartTimeTicks", "BBoxModul",
};

bool InsideImage(HMODULE dll, const void* address)
{
    const uint8_t* base = reinterpret_cast<const uint8_t*>(dll);
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const uint8_t* p = static_cast<const uint8_t*>(address);
    return p >= base && p < base + nt->OptionalHeader.SizeOfImage;
}

}  // namespace

class BindingTest : public PluginTest {};

TEST_F(BindingTest, AsksEveryNameOnceInTheHostsOrderThenAnnouncesAndBinds)
{
    ASSERT_EQ(1, SetupKorvu());

    EXPECT_EQ(sim::VariableNames(), sim::AskedNames(kVariable));
    EXPECT_EQ(sim::FunctionNames(), sim::AskedNames(kFunction));
    for (const sim::Lookup& l : sim::Lookups())
        EXPECT_EQ(0u, l.wParam) << l.name;

    // Variables, then functions, then the plug-in and its seven variables.
    std::vector<std::string> expected;
    for (const std::string& n : sim::VariableNames())
        expected.push_back("30000 " + n);
    for (const std::string& n : sim::FunctionNames())
        expected.push_back("30001 " + n);
    expected.push_back("DefineDllModule");
    for (const char* n : kStateVariables)
        expected.push_back(std::string("DefineDllVariable ") + n);
    std::vector<std::string> calls = sim::HostCalls();
    calls.resize(std::min(calls.size(), expected.size()));
    EXPECT_EQ(expected, calls);
}

TEST_F(BindingTest, AnnouncesSevenVariablesOfTheirOwnSizeInOrder)
{
    ASSERT_EQ(1, SetupKorvu());

    EXPECT_THAT(AnnouncedNames(), ElementsAreArray(kStateVariables));
    std::vector<uint32_t> sizes;
    for (const sim::Announcement& a : sim::Announcements())
        sizes.push_back(a.size);
    EXPECT_THAT(sizes, ElementsAre(8u, 4u, 4u, 4u, 4u, 4u, 4u));

    // Real, distinct storage of the plug-in's own, zero until the host writes it.
    for (const sim::Announcement& a : sim::Announcements()) {
        EXPECT_TRUE(InsideImage(Dll(), a.address)) << a.name;
        const uint8_t* bytes = static_cast<const uint8_t*>(a.address);
        EXPECT_TRUE(std::all_of(bytes, bytes + a.size, [](uint8_t b) { return b == 0; })) << a.name;
        for (const sim::Announcement& b : sim::Announcements()) {
            if (&a == &b)
                continue;
            const uint8_t* pa = static_cast<const uint8_t*>(a.address);
            const uint8_t* pb = static_cast<const uint8_t*>(b.address);
            EXPECT_TRUE(pa + a.size <= pb || pb + b.size <= pa) << a.name << " overlaps " << b.name;
        }
    }
}

TEST_F(BindingTest, BindsWhenTheHostLacksAllSevenOptionalNames)
{
    sim::AnswerZeroForOptionalVariables();

    ASSERT_EQ(1, SetupKorvu());
    EXPECT_EQ(sim::VariableNames(), sim::AskedNames(kVariable));
    EXPECT_EQ(sim::FunctionNames(), sim::AskedNames(kFunction));
}

TEST_F(BindingTest, NullMainWindowFailsAtTheFirstLookup)
{
    EXPECT_EQ(0, SetupKorvuWith(nullptr));
    EXPECT_THAT(sim::Lookups(), IsEmpty());
    EXPECT_EQ(0, sim::DefineDllModuleCalls());
}

TEST_F(BindingTest, RefusedModuleAnnouncesNoVariable)
{
    sim::RefuseDefineDllModule();

    EXPECT_EQ(0, SetupKorvu());
    EXPECT_EQ(1, sim::DefineDllModuleCalls());
    EXPECT_THAT(sim::Announcements(), IsEmpty());
}

// ------------------------------------------------------------------ each name missing

class MissingRequiredVariable : public BindingTest, public testing::WithParamInterface<std::string> {};

TEST_P(MissingRequiredVariable, EndsBindingRightThere)
{
    sim::AnswerZero(GetParam());

    EXPECT_EQ(0, SetupKorvu());
    EXPECT_EQ(Prefix(sim::VariableNames(), GetParam()), sim::AskedNames(kVariable));
    EXPECT_THAT(sim::AskedNames(kFunction), IsEmpty());
    EXPECT_EQ(0, sim::DefineDllModuleCalls());
}

INSTANTIATE_TEST_SUITE_P(EveryRequiredVariable, MissingRequiredVariable, testing::ValuesIn(RequiredVariables()),
                         ParamName);

class MissingOptionalVariable : public BindingTest, public testing::WithParamInterface<std::string> {};

TEST_P(MissingOptionalVariable, StillBinds)
{
    sim::AnswerZero(GetParam());

    EXPECT_EQ(1, SetupKorvu());
    EXPECT_EQ(sim::VariableNames(), sim::AskedNames(kVariable));
}

INSTANTIATE_TEST_SUITE_P(EachOptionalVariable, MissingOptionalVariable,
                         testing::ValuesIn(sim::OptionalVariableNames()), ParamName);

class MissingFunction : public BindingTest, public testing::WithParamInterface<std::string> {};

TEST_P(MissingFunction, EndsBindingBeforeTheModuleIsDefined)
{
    sim::AnswerZero(GetParam());

    EXPECT_EQ(0, SetupKorvu());
    EXPECT_EQ(sim::VariableNames(), sim::AskedNames(kVariable));
    EXPECT_EQ(Prefix(sim::FunctionNames(), GetParam()), sim::AskedNames(kFunction));
    EXPECT_EQ(0, sim::DefineDllModuleCalls());
}

INSTANTIATE_TEST_SUITE_P(EveryFunction, MissingFunction, testing::ValuesIn(sim::FunctionNames()), ParamName);

class RefusedVariable : public BindingTest, public testing::WithParamInterface<std::string> {};

TEST_P(RefusedVariable, EndsTheAnnouncementsThere)
{
    sim::RefuseVariable(GetParam());

    EXPECT_EQ(0, SetupKorvu());
    std::vector<std::string> all(std::begin(kStateVariables), std::end(kStateVariables));
    EXPECT_EQ(Prefix(all, GetParam()), AnnouncedNames());
}

INSTANTIATE_TEST_SUITE_P(EachStateVariable, RefusedVariable, testing::ValuesIn(std::vector<std::string>(std::begin(kStateVariables), std::end(kStateVariables))),
                         ParamName);
