#!/usr/bin/python3
"""Applies a tonal curve to every raster of a flight and builds the overviews of each result,
spread over a dask.distributed cluster.

    flight_batch.py CURVE INPUT_DIR OUTPUT_DIR [--scheduler ADDRESS] [--workers N]
                    [--pattern GLOB] [--levels 2 4 8 16] [--no-overviews] [--force]
                    [--co NAME=VALUE ...]

Without --scheduler a LocalCluster runs on this machine (one worker process per core, each
with one thread). With --scheduler tcp://HOST:8786 the work goes to a cluster started with
`dask scheduler` and `dask worker tcp://HOST:8786` on the machines; every worker needs the
quorutil module and the same paths to the input and output folders (a shared file system).

One progress bar covers the whole flight (weighted by file size). An image that fails is
reported and the others go on; the exit code is then 1. A rerun skips images whose output is
complete: each finished output gets a marker file (OUTPUT.done) recording its input's size
and modification time, the curve's, and the output's own, so a changed input or curve, or an
output touched since, is done again.
"""

import argparse
import fnmatch
import json
import logging
import os
import sys
import time


def marker_path(output):
    return output + ".done"


def stamp(path):
    st = os.stat(path)
    return [st.st_size, st.st_mtime_ns]


def is_complete(source, curve, output):
    """Whether output holds the finished result of source under curve (see the marker)."""
    try:
        with open(marker_path(output)) as f:
            marker = json.load(f)
        return marker == {"source": stamp(source), "curve": stamp(curve), "output": stamp(output)}
    except (OSError, ValueError):
        return False


def process_image(curve, source, output, levels, threads=1, creation_options=None):
    """Runs on a worker: the curve applied to source as output, its overviews, the marker.

    apply_curve replaces output whole or not at all; the overviews are added to the finished
    file and the marker is written last, so an interrupted image has no marker and is done
    again on the next run. Returns the output's path."""
    import quorutil
    from osgeo import gdal

    gdal.UseExceptions()
    try:
        os.unlink(marker_path(output))
    except FileNotFoundError:
        pass
    quorutil.apply_curve(curve, source, output, threads=threads,
                         creation_options=creation_options)
    if levels:
        ds = gdal.Open(output, gdal.GA_Update)
        ds.BuildOverviews("AVERAGE", list(levels))
        ds = None
    tmp = marker_path(output) + ".tmp"
    with open(tmp, "w") as f:
        json.dump({"source": stamp(source), "curve": stamp(curve), "output": stamp(output)}, f)
    os.replace(tmp, marker_path(output))
    return output


class Bar:
    """One line of progress on standard error, for the whole flight."""

    def __init__(self, total, stream=sys.stderr):
        self.total, self.done, self.stream = total, 0, stream
        self.start = time.monotonic()
        self.draw()

    def update(self, amount):
        self.done += amount
        self.draw()

    def draw(self):
        fraction = self.done / self.total if self.total else 1.0
        filled = int(fraction * 30)
        elapsed = time.monotonic() - self.start
        bar = "#" * filled + "." * (30 - filled)
        self.stream.write(f"\r[{bar}] {fraction:6.1%} {elapsed:6.1f} s")
        self.stream.flush()

    def close(self):
        self.stream.write("\n")


def list_images(input_dir, pattern):
    return sorted(
        os.path.join(input_dir, name)
        for name in os.listdir(input_dir)
        if fnmatch.fnmatch(name, pattern) and os.path.isfile(os.path.join(input_dir, name))
    )


def run_batch(client, curve, images, output_dir, levels, force=False, report=sys.stderr,
              bar=True, creation_options=None):
    """Submits every image not yet complete to client and waits for all of them. Returns
    (done, skipped, failed): lists of outputs, outputs, and (input, message) pairs."""
    from distributed import as_completed

    curve = os.path.abspath(curve)
    os.makedirs(output_dir, exist_ok=True)
    jobs, skipped = {}, []
    for source in images:
        output = os.path.join(os.path.abspath(output_dir), os.path.basename(source))
        if not force and is_complete(source, curve, output):
            skipped.append(output)
            continue
        future = client.submit(process_image, curve, os.path.abspath(source), output, levels,
                               creation_options=creation_options, key=f"flight-{output}",
                               pure=False)
        jobs[future] = (source, os.path.getsize(source))
    progress = Bar(sum(size for _, size in jobs.values()), report) if bar and jobs else None
    done, failed = [], []
    for future in as_completed(jobs):
        source, size = jobs[future]
        try:
            done.append(future.result())
        except Exception as e:  # a failed image is reported; the others go on
            failed.append((source, f"{type(e).__name__}: {e}"))
            if progress:
                report.write("\n")
            # The module's exceptions name the file already.
            text = str(e) if os.path.abspath(source) in str(e) else f"{source}: {e}"
            report.write(f"flight_batch: {text}\n")
        if progress:
            progress.update(size)
    if progress:
        progress.close()
    return done, skipped, failed


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Apply a tonal curve to every raster of a folder and build its overviews "
                    "on a dask.distributed cluster.")
    parser.add_argument("curve", help="curve or break-point file")
    parser.add_argument("input_dir")
    parser.add_argument("output_dir")
    parser.add_argument("--scheduler", help="address of a running scheduler (tcp://HOST:8786); "
                        "without it a LocalCluster on this machine")
    parser.add_argument("--workers", type=int, default=os.cpu_count() or 1,
                        help="worker processes of the LocalCluster (default: one per core)")
    parser.add_argument("--pattern", default="*.tif", help="which files are rasters (*.tif)")
    parser.add_argument("--levels", type=int, nargs="+", default=[2, 4, 8, 16],
                        help="overview factors (2 4 8 16)")
    parser.add_argument("--no-overviews", action="store_true")
    parser.add_argument("--force", action="store_true", help="redo complete images too")
    parser.add_argument("--co", action="append", metavar="NAME=VALUE",
                        help="GDAL creation option of the outputs (repeatable); without any, "
                             "an output keeps its input's tiling and compression")
    args = parser.parse_args(argv)

    from distributed import Client, LocalCluster

    images = list_images(args.input_dir, args.pattern)
    if not images:
        print(f"flight_batch: {args.input_dir}: no file matches {args.pattern}", file=sys.stderr)
        return 1
    levels = [] if args.no_overviews else args.levels

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        # Failures are reported here, once: the workers' own warnings stay quiet.
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               host="127.0.0.1", dashboard_address=None,
                               silence_logs=logging.ERROR)
        client = Client(cluster)
    try:
        done, skipped, failed = run_batch(client, args.curve, images, args.output_dir, levels,
                                          force=args.force, creation_options=args.co)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    print(f"flight_batch: {len(done)} done, {len(skipped)} already complete, "
          f"{len(failed)} failed", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
