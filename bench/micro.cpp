#include "micro.h"

#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include "capabilities_document.h"
#include "ptz/capabilities.h"
#include "ptz/position_text.h"
#include "utils/xml_parser.h"
#include "utils/xml_path.h"

namespace bench {

namespace {

const char* const kStatusAnswer =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ResponseStatus version=\"2.0\" xmlns=\"http://www.isapi.org/ver20/XMLSchema\">\n"
    "<requestURL>/ISAPI/PTZCtrl/channels/1/continuous</requestURL>\n"
    "<statusCode>1</statusCode>\n<statusString>OK</statusString>\n"
    "<subStatusCode>ok</subStatusCode>\n</ResponseStatus>\n";

const char* const kPositionAnswer =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<PTZAbsoluteEx version=\"2.0\" xmlns=\"http://www.isapi.org/ver20/XMLSchema\">\n"
    "<elevation>10.5</elevation>\n<azimuth>200.25</azimuth>\n<absoluteZoom>4</absoluteZoom>\n"
    "<focus>29000</focus>\n<focalLen>48</focalLen>\n<horizontalSpeed>0.5</horizontalSpeed>\n"
    "<verticalSpeed>1.5</verticalSpeed>\n</PTZAbsoluteEx>\n";

// A capabilities answer of the size real cameras send, about 42 KB: the simulated camera's own
// parts among blocks of options of the kind that make up the rest of a real one.
std::string large_capabilities() {
    std::string doc = sim::capabilities_document(false);
    std::string filler;
    for (int i = 0; filler.size() < 40000; ++i) {
        const std::string n = std::to_string(i);
        filler += "<ParkActionCap" + n +
                  ">\n<enabled opt=\"true,false\"/>\n<Parktime min=\"5\" max=\"720\"/>\n"
                  "<ActionType opt=\"autoscan,framescan,randomscan,patrol,pattern,preset,"
                  "panoramascan,tiltscan\"/>\n<ActionTypeID min=\"1\" max=\"300\"/>\n"
                  "<TimeTaskRange><Min>0</Min><Max>" +
                  n + "</Max></TimeTaskRange>\n</ParkActionCap" + n + ">\n";
    }
    return doc.insert(doc.find("<AbsolutePanTiltPositionSpace>"), filler);
}

class Collector : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            results.push_back({run.benchmark_name(), run.GetAdjustedRealTime()});
        }
    }
    std::vector<MicroResult> results;
};

}  // namespace

std::vector<MicroResult> run_micro_benchmarks(const char* program) {
    const Ptz::PtzAbsoluteEx position{10.5f, 200.25f, 4.0f, 29000, 48, 0.5f, 1.5f};
    benchmark::RegisterBenchmark("build_ptz_xml, eight-entry position body",
                                 [position](benchmark::State& state) {
                                     for (auto _ : state) {
                                         benchmark::DoNotOptimize(Utils::XmlParser::build_ptz_xml(
                                             "PtzAbsoluteEx", Ptz::position_fields(position)));
                                     }
                                 });
    benchmark::RegisterBenchmark("parse + get_text, status answer", [](benchmark::State& state) {
        Utils::XmlParser parser;
        const std::string answer = kStatusAnswer;
        for (auto _ : state) {
            parser.parse(answer);
            benchmark::DoNotOptimize(parser.get_text("ResponseStatus", "statusString"));
        }
    });
    benchmark::RegisterBenchmark("parse + get_text x7 + convert, position answer",
                                 [](benchmark::State& state) {
                                     pugi::xml_document doc;
                                     const std::string answer = kPositionAnswer;
                                     for (auto _ : state) {
                                         Utils::parse_answer(doc, answer);
                                         benchmark::DoNotOptimize(Ptz::position_from_answer(doc));
                                     }
                                 });
    // The floor of any XML reading: pugixml alone loading the same status answer.
    benchmark::RegisterBenchmark("baseline: pugixml load_string, status answer",
                                 [](benchmark::State& state) {
                                     pugi::xml_document doc;
                                     for (auto _ : state) {
                                         benchmark::DoNotOptimize(doc.load_string(kStatusAnswer));
                                     }
                                 });
    const std::string capabilities = large_capabilities();
    benchmark::RegisterBenchmark(
        ("parse + read, capabilities answer of " + std::to_string(capabilities.size() / 1024) +
         " KiB")
            .c_str(),
        [capabilities](benchmark::State& state) {
            pugi::xml_document doc;
            for (auto _ : state) {
                Ptz::PtzCapabilitiesEx caps;
                Utils::parse_answer(doc, capabilities);
                benchmark::DoNotOptimize(Ptz::capabilities_from_answer(doc, caps));
            }
        });
    benchmark::RegisterBenchmark(
        "baseline: pugixml load_string, the same capabilities answer",
        [capabilities](benchmark::State& state) {
            pugi::xml_document doc;
            for (auto _ : state) {
                benchmark::DoNotOptimize(doc.load_string(capabilities.c_str()));
            }
        });
    int argc = 2;
    char min_time[] = "--benchmark_min_time=0.5";
    char* argv[] = {const_cast<char*>(program), min_time, nullptr};
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    return collector.results;
}

}  // namespace bench
