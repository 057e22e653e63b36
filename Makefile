# Entry points of the project; see README.md.
.PHONY: all demo test bench install clean

# Build everything (plug-in bundle, tools, tests, benchmarks) in build/release.
all:
	scripts/install-deps.sh
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build/release -j$$(nproc)

# The main job: build the plug-in and render the demo through it into out/.
demo:
	scripts/demo.sh

# Every test, the sanitizer runs included.
test:
	scripts/test.sh

# Benchmarks (not run by `make test`).
bench: all
	@for b in build/release/bench/*_bench; do echo "== $$b"; "$$b" || exit 1; done

# Copies Vellox.vst3 into the user's VST3 folder (~/.vst3 on Linux).
install: all
	cmake --install build/release

clean:
	rm -rf build out
