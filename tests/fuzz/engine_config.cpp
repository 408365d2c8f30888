// The engine's configuration text and variable store: any bytes executed as a configuration
// file, then every variable saved and the file read into a fresh engine, which must end up
// with the same variables and texts.
#include <string>

#include "EngineTestSupport.h"
#include "FuzzInput.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    test::CoreFixture writer;
    writer.environment.files["in.cfg"].assign(reinterpret_cast<const char*>(data), size);
    writer.environment.files["other.cfg"] = "exec in.cfg\nother 1\n";
    writer.core.ExecuteConfigFile("in.cfg");
    for (const Variable& variable : writer.core.Variables().InCreationOrder())
        writer.core.SetVariableFlags(variable.name.c_str(), 4);
    KORVANE_FUZZ_CHECK(writer.core.WriteConfigFile("out.cfg", 4) == 1);

    test::CoreFixture reader;
    reader.environment.files["out.cfg"] = writer.environment.files["out.cfg"];
    KORVANE_FUZZ_CHECK(reader.core.ExecuteConfigFile("out.cfg") == 1);
    for (const Variable& variable : writer.core.Variables().InCreationOrder()) {
        const Variable* read = reader.core.Variables().Find(variable.name);
        KORVANE_FUZZ_CHECK(read != nullptr);
        KORVANE_FUZZ_CHECK(read->text == variable.text);
        KORVANE_FUZZ_CHECK(read->value == variable.value);
    }
    KORVANE_FUZZ_CHECK(reader.core.Variables().Count() == writer.core.Variables().Count());
    return 0;
}
