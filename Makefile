# The two set-up commands: `make run` and `make test`.
JOBS ?= 2
RUN_BUILD := build
TEST_BUILD := build-test

.PHONY: run test deps build build-test bench fuzz format clean

deps:
	./tools/install-deps.sh

build: deps
	cmake -S . -B $(RUN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALLIMAR_TESTS=OFF -DTALLIMAR_BENCH=OFF
	cmake --build $(RUN_BUILD) -j $(JOBS)

run: build
	./tools/run-demo.sh $(RUN_BUILD)

build-test: deps
	cmake -S . -B $(TEST_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALLIMAR_SANITIZE=ON -DTALLIMAR_TESTS=ON
	cmake --build $(TEST_BUILD) -j $(JOBS)

test: build-test
	./tools/check-format.sh
	./tests/run-tests.sh $(TEST_BUILD)

# The Workers.ini reader under libFuzzer for FUZZ_SECONDS (60); needs clang, installed here only.
fuzz:
	./tools/install-deps.sh fuzz
	./tests/fuzz/run-fuzz.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i --style=file

bench: deps
	cmake -S . -B $(RUN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTALLIMAR_TESTS=OFF -DTALLIMAR_BENCH=ON
	cmake --build $(RUN_BUILD) -j $(JOBS)
	./bench/run-benchmarks.sh $(RUN_BUILD)

clean:
	rm -rf $(RUN_BUILD) $(TEST_BUILD)
