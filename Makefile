# Entry points of the project; see README.md.
.PHONY: all demo test bench install clean

all:
	scripts/install-deps.sh
	cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build/release -j$$(nproc)

# The main job: build the plug-in and render the demo through it.
demo: all

# Every test, the sanitizer runs included.
test:
	scripts/test.sh

bench: all
	@for b in build/release/bench/*_bench; do [ -x "$$b" ] && "$$b"; done; true

clean:
	rm -rf build out
