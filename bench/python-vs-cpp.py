#!/usr/bin/python3
"""The Python module against the C++ library on the same work, and the flight example on one
worker against two.

    bench/python-vs-cpp.py [--build build] [--files 10000] [--rasters 8] [--size 1536]
                           [--skip-flight]

1. Support files: COUNT level-1 files (the sample with its identifier varied, as
   bench/support-read-vs-wc.sh makes them) read with quorutil.SupportFile.read, best of five
   passes, against `bench_SupportFileBench --read-files` (loadFile in a C++ loop, best of
   five). Target: Python at least half the C++ rate.
2. Lookup tables: TonalCurve.lookup_table() (65536 entries, the two grids alternating as in
   the C++ benchmark, so every call builds its table) of the 10-node spline of bench/TonalBench.cpp,
   median of many calls, against bench_TonalBench's SplineTable10Nodes (median CPU time).
   Target: at most twice the C++ call.
3. The flight: RASTERS rasters of SIZE x SIZE x 4 bands (16-bit), uncompressed and DEFLATE, through
   examples/flight_batch.py on a LocalCluster of one worker, then two (one thread each), with
   overviews. Target: two workers at least 1.7 times as fast as one. The machine's load average
   is printed beside the times: the figure means little on a machine others are using.

Needs the build with -DQUOR_PYTHON=ON -DQUOR_BUILD_BENCHMARKS=ON.
"""

import argparse
import json
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SOURCE = pathlib.Path(__file__).resolve().parents[1]


def load():
    return " ".join(f"{x:.2f}" for x in os.getloadavg())


def support_files(build, folder, count):
    import quorutil

    sample = (SOURCE / "resources" / "samples" / "SN3001_110115_123458_PANF02A_L1.sup").read_text()
    for i in range(count):
        name = f"SN3001_110115_{100000 + i + 1:06}_PANF02A_L1"
        (folder / f"{name}.sup").write_text(sample.replace("SN3001_110115_123458_PANF02A_L1", name))
    paths = sorted(str(p) for p in folder.glob("*.sup"))
    for p in paths:  # into the page cache
        pathlib.Path(p).read_bytes()

    cpp = subprocess.run([str(build / "bin" / "bench_SupportFileBench"), "--read-files",
                          str(folder)], capture_output=True, text=True, check=True).stdout
    cpp_rate = float(cpp.split()[2])
    best = 0.0
    for _ in range(5):
        start = time.perf_counter()
        for p in paths:
            quorutil.SupportFile.read(p, strict=False).level
        best = max(best, len(paths) / (time.perf_counter() - start))
    print(f"support files:  {len(paths)} files; C++ {cpp_rate:,.0f} files/s, "
          f"Python {best:,.0f} files/s, ratio {best / cpp_rate:.2f} (target >= 0.5)")


def lookup_tables(build):
    import quorutil

    nodes = [(0, 0), (0.1, 0.15), (0.2, 0.3), (0.3, 0.42), (0.4, 0.52), (0.5, 0.6), (0.6, 0.68),
             (0.75, 0.8), (0.9, 0.93), (1, 1)]
    curve = quorutil.TonalCurve(nodes, "spline")
    times = []
    for i in range(300):
        # Alternating sizes, as the C++ benchmark does, so that every call builds a table.
        start = time.process_time_ns()
        curve.lookup_table(65536 if i % 2 else None)
        times.append(time.process_time_ns() - start)
    python_us = statistics.median(times) / 1000
    out = subprocess.run([str(build / "bin" / "bench_TonalBench"),
                          "--benchmark_filter=SplineTable10Nodes", "--benchmark_repetitions=5",
                          "--benchmark_format=json"], capture_output=True, text=True,
                         check=True).stdout
    runs = [b for b in json.loads(out)["benchmarks"] if b.get("aggregate_name") == "median"]
    cpp_us = runs[0]["cpu_time"] * {"us": 1, "ns": 1e-3, "ms": 1e3}[runs[0]["time_unit"]]
    print(f"lookup table:   10-node spline, 65536 entries; C++ {cpp_us:.0f} us, "
          f"Python {python_us:.0f} us, ratio {python_us / cpp_us:.2f} (target <= 2)")


def flight(folder, rasters, size, compress):
    sys.path.insert(0, str(SOURCE / "examples"))
    import flight_batch
    from distributed import Client, LocalCluster

    make = SOURCE / "bench" / "make-raster.py"
    inputs = folder / f"flight-{compress}"
    inputs.mkdir()
    options = ["TILED=YES"] + ([f"COMPRESS={compress}"] if compress != "NONE" else [])
    for i in range(rasters):
        # The output keeps the input's compression.
        subprocess.run([sys.executable, str(make), str(inputs / f"strip{i:02}.tif"), str(size),
                        "4", *options], check=True)
    images = flight_batch.list_images(str(inputs), "*.tif")
    curve = str(SOURCE / "tests" / "data" / "tonal" / "corrector_spline.xml")
    os.environ["PYTHONPATH"] = os.pathsep.join([str(SOURCE / "examples"),
                                                os.environ.get("PYTHONPATH", "")])
    seconds = {}
    for workers in (1, 2, 1, 2):  # alternating, so both see the same machine
        out = folder / f"out{workers}-{compress}"
        shutil.rmtree(out, ignore_errors=True)
        with LocalCluster(n_workers=workers, threads_per_worker=1, processes=True,
                          host="127.0.0.1", dashboard_address=None, silence_logs=40) as cluster, \
                Client(cluster) as client:
            client.run(lambda: __import__("quorutil"))  # start-up outside the timing
            before = load()
            start = time.perf_counter()
            done, _, failed = flight_batch.run_batch(client, curve, images, str(out), [2, 4, 8],
                                                     bar=False)
            elapsed = time.perf_counter() - start
            assert len(done) == rasters and not failed, failed
        seconds.setdefault(workers, []).append(elapsed)
        print(f"flight:         {workers} worker(s): {elapsed:.2f} s "
              f"(load average before {before}, after {load()})")
    one, two = min(seconds[1]), min(seconds[2])
    print(f"flight:         {rasters} rasters of {size}x{size}x4, compression {compress}; "
          f"best of two: one worker "
          f"{one:.2f} s, two {two:.2f} s, speed-up {one / two:.2f} (target >= 1.7)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--files", type=int, default=10000)
    parser.add_argument("--rasters", type=int, default=8)
    parser.add_argument("--size", type=int, default=1536)
    parser.add_argument("--skip-flight", action="store_true")
    parser.add_argument("--compress", nargs="+", default=["NONE", "DEFLATE"],
                        help="compressions of the flight's rasters, each a run of its own")
    args = parser.parse_args()
    build = pathlib.Path(args.build).resolve()
    sys.path.insert(0, str(build / "python"))
    print(f"cores: {os.cpu_count()}, load average at start: {load()}")
    with tempfile.TemporaryDirectory(dir=".") as tmp:
        tmp = pathlib.Path(tmp)
        (tmp / "sup").mkdir()
        support_files(build, tmp / "sup", args.files)
        lookup_tables(build)
        if not args.skip_flight:
            for compress in args.compress:
                flight(tmp, args.rasters, args.size, compress)


if __name__ == "__main__":
    main()
