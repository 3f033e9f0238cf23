// Parse and write speed of pocketjson beside nlohmann-json and RapidJSON on
// the benchmark corpus. Every figure is MB/s of the input file's size, so the
// columns compare directly. RapidJSON parses twice: with full-precision
// number parsing (every double read exactly, as pocketjson must) and in its
// default fast mode. After the Google Benchmark runs a table with the ratios
// of pocketjson to nlohmann-json and to RapidJSON is printed.
//
// usage: pocketjson_bench [benchmark flags] [DATA_DIR]

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "pocketjson/json.h"

namespace {

const std::vector<std::string> kFiles = {"canada", "citm_catalog", "twitter"};
const std::vector<std::string> kLibraries = {"pocketjson", "nlohmann", "rapidjson", "rapidjson-fast"};

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// The documents stay alive for the whole run; each library writes its own.
struct Corpus {
    std::string text;
    pocketjson::Value pocket;
    nlohmann::json nlohmannDoc;
    rapidjson::Document rapidDoc;
};

// pocketjson must read the file, and its compact text must mean the same
// document to an independent parser; otherwise its speed means nothing.
void checkCorpus(const std::string& name, Corpus& corpus) {
    std::string error;
    if (!pocketjson::parseJson(corpus.pocket, corpus.text, 0, &error)) {
        throw std::runtime_error(name + ": pocketjson parse failed: " + error);
    }
    std::string written;
    if (!pocketjson::writeJson(corpus.pocket, written)) {
        throw std::runtime_error(name + ": pocketjson write failed");
    }
    corpus.nlohmannDoc = nlohmann::json::parse(corpus.text);
    if (nlohmann::json::parse(written) != corpus.nlohmannDoc) {
        throw std::runtime_error(name + ": pocketjson text differs from the original document");
    }
    corpus.rapidDoc.Parse<rapidjson::kParseFullPrecisionFlag>(corpus.text.c_str(), corpus.text.size());
    if (corpus.rapidDoc.HasParseError()) {
        throw std::runtime_error(name + ": RapidJSON parse failed");
    }
}

void registerFile(const std::string& name, Corpus& corpus) {
    const auto bytes = static_cast<std::int64_t>(corpus.text.size());
    const auto perIteration = [bytes](benchmark::State& state) {
        state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
    };

    benchmark::RegisterBenchmark(("parse/" + name + "/pocketjson").c_str(),
                                 [&corpus, perIteration](benchmark::State& state) {
                                     for (auto _ : state) {
                                         pocketjson::Value value;
                                         benchmark::DoNotOptimize(pocketjson::parseJson(value, corpus.text));
                                     }
                                     perIteration(state);
                                 });
    benchmark::RegisterBenchmark(("parse/" + name + "/nlohmann").c_str(),
                                 [&corpus, perIteration](benchmark::State& state) {
                                     for (auto _ : state) {
                                         auto json = nlohmann::json::parse(corpus.text);
                                         benchmark::DoNotOptimize(json);
                                     }
                                     perIteration(state);
                                 });
    benchmark::RegisterBenchmark(
        ("parse/" + name + "/rapidjson").c_str(), [&corpus, perIteration](benchmark::State& state) {
            for (auto _ : state) {
                rapidjson::Document document;
                document.Parse<rapidjson::kParseFullPrecisionFlag>(corpus.text.c_str(), corpus.text.size());
                benchmark::DoNotOptimize(document.HasParseError());
            }
            perIteration(state);
        });
    benchmark::RegisterBenchmark(("parse/" + name + "/rapidjson-fast").c_str(),
                                 [&corpus, perIteration](benchmark::State& state) {
                                     for (auto _ : state) {
                                         rapidjson::Document document;
                                         document.Parse(corpus.text.c_str(), corpus.text.size());
                                         benchmark::DoNotOptimize(document.HasParseError());
                                     }
                                     perIteration(state);
                                 });

    benchmark::RegisterBenchmark(("write/" + name + "/pocketjson").c_str(),
                                 [&corpus, perIteration](benchmark::State& state) {
                                     for (auto _ : state) {
                                         std::string text;
                                         pocketjson::writeJson(corpus.pocket, text);
                                         benchmark::DoNotOptimize(text.data());
                                     }
                                     perIteration(state);
                                 });
    benchmark::RegisterBenchmark(("write/" + name + "/nlohmann").c_str(),
                                 [&corpus, perIteration](benchmark::State& state) {
                                     for (auto _ : state) {
                                         std::string text = corpus.nlohmannDoc.dump();
                                         benchmark::DoNotOptimize(text.data());
                                     }
                                     perIteration(state);
                                 });
    benchmark::RegisterBenchmark(("write/" + name + "/rapidjson").c_str(),
                                 [&corpus, perIteration](benchmark::State& state) {
                                     for (auto _ : state) {
                                         rapidjson::StringBuffer buffer;
                                         rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
                                         corpus.rapidDoc.Accept(writer);
                                         benchmark::DoNotOptimize(buffer.GetString());
                                     }
                                     perIteration(state);
                                 });
}

// Console output as usual, plus the MB/s of every run kept for the table
// (the median when repetitions are asked for).
class TableReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const bool isMedian = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && !isMedian)) {
                continue;
            }
            const auto counter = run.counters.find("bytes_per_second");
            if (counter == run.counters.end()) {
                continue;
            }
            const std::string& name = run.run_name.function_name;
            if (isMedian || medians_.count(name) == 0) {
                megabytesPerSecond_[name] = counter->second.value / 1e6;
                if (isMedian) {
                    medians_[name] = true;
                }
            }
        }
    }

    void printTable() const {
        std::printf("\nMB/s of input size (higher is better)\n");
        std::printf("rapidjson: full-precision numbers (parse); rapidjson-fast: its default parse\n");
        std::printf("%-13s %-6s %11s %11s %11s %15s %12s %12s\n", "file", "op", "pocketjson", "nlohmann", "rapidjson",
                    "rapidjson-fast", "pj/nlohmann", "pj/rapidjson");
        for (const std::string& op : {std::string("parse"), std::string("write")}) {
            for (const std::string& file : kFiles) {
                std::printf("%-13s %-6s", file.c_str(), op.c_str());
                for (const std::string& library : kLibraries) {
                    const double value = figure(op + "/" + file + "/" + library);
                    const int width = library == "rapidjson-fast" ? 15 : 11;
                    if (value > 0) {
                        std::printf(" %*.1f", width, value);
                    } else {
                        std::printf(" %*s", width, "-");
                    }
                }
                const double pocket = figure(op + "/" + file + "/pocketjson");
                std::printf(" %11.2fx %11.2fx\n", ratio(pocket, figure(op + "/" + file + "/nlohmann")),
                            ratio(pocket, figure(op + "/" + file + "/rapidjson")));
            }
        }
    }

private:
    static double ratio(double a, double b) { return b > 0 ? a / b : 0.0; }

    double figure(const std::string& name) const {
        const auto found = megabytesPerSecond_.find(name);
        return found != megabytesPerSecond_.end() ? found->second : 0.0;
    }

    std::map<std::string, double> megabytesPerSecond_;
    std::map<std::string, bool> medians_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const std::string dataDir = argc > 1 ? argv[1] : MAVEL_BENCH_DATA_DIR;

    std::map<std::string, Corpus> corpora;
    try {
        for (const std::string& name : kFiles) {
            Corpus& corpus = corpora[name];
            corpus.text = readFile(dataDir + "/" + name + ".json");
            checkCorpus(name, corpus);
            registerFile(name, corpus);
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "pocketjson_bench: %s\n", failure.what());
        return 1;
    }
    std::printf("corpus checked: pocketjson reads all files and its text re-reads equal (nlohmann)\n");

    TableReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printTable();
    benchmark::Shutdown();
    return 0;
}
