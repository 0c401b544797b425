# Compares the arithmetic of missing values with R's: each trait standardized
# over its present values as scale() does it, and each pair's distance over
# the traits both varieties have, scaled up to all traits, as dist() does it.
#
# For R's own data sets, airquality with the gaps it has (44 of 918 values,
# in two traits) and mtcars, USArrests, swiss and iris with gaps punched at a
# fixed seed (heavily enough in one case that some pairs share no trait), it
# writes the table, runs `missing_driver` on it and checks:
#   - the count of missing values, of values and of traits with a gap;
#   - every standardized value against scale(x), every distance against
#     dist(scale(x)), to 1e-12 relative (1e-14 absolute near 0, where both
#     are a few ulps of numbers of order 1 from the exact value), NA exactly
#     where R has NA;
#   - with a least number of common traits K, NA where fewer than K traits
#     are common and dist's value elsewhere;
#   - the count of pairs without a distance and the first of them;
#   - the same output for 1 and 3 threads;
#   - a trait that scale() cannot standardize (one present value, or present
#     values all equal: its column NaN) stops the driver at that trait.
#
# Usage: Rscript r_reference.R DRIVER      exit status 0 when all held, 1
# when one failed
args <- commandArgs(trailingOnly = TRUE)
driver <- args[1]
failures <- 0

fail <- function(label, ...) {
  cat("FAIL", label, ":", sprintf(...), "\n")
  failures <<- failures + 1
}

format_value <- function(v) ifelse(is.na(v), "NA", sprintf("%.17g", v))

run_driver <- function(x, min_common = 1, jobs = 2) {
  x <- as.matrix(x)
  input <- c(paste(nrow(x), ncol(x)), apply(x, 1, function(row) paste(format_value(row), collapse = " ")))
  out <- suppressWarnings(system2(driver, c(min_common, jobs), input = input, stdout = TRUE))
  list(lines = out, status = if (is.null(attr(out, "status"))) 0 else attr(out, "status"))
}

parse_numbers <- function(lines) suppressWarnings(as.numeric(ifelse(lines == "NA", NA, lines)))

section <- function(out, from, to, count) {
  at <- match(from, out)
  values <- out[seq_len(count) + at]
  if (is.na(at) || (!is.null(to) && out[at + count + 1] != to)) stop("driver output has no section ", from)
  parse_numbers(values)
}

close_enough <- function(ours, theirs) {
  both <- !is.na(ours) & !is.na(theirs)
  abs(ours[both] - theirs[both]) <= pmax(1e-12 * pmax(abs(ours[both]), abs(theirs[both])), 1e-14)
}

compare <- function(label, what, ours, theirs) {
  if (length(ours) != length(theirs)) return(fail(label, "%s: %d values, R %d", what, length(ours), length(theirs)))
  if (!identical(is.na(ours), is.na(theirs))) {
    k <- which(is.na(ours) != is.na(theirs))[1]
    return(fail(label, "%s %d: %s, R %s", what, k, format_value(ours[k]), format_value(theirs[k])))
  }
  ok <- close_enough(ours, theirs)
  if (!all(ok)) {
    k <- which(!is.na(ours))[!ok][1]
    fail(label, "%s %d: %.17g, R %.17g", what, k, ours[k], theirs[k])
  }
  both <- !is.na(ours) & ours != 0
  if (any(both)) max(abs(ours[both] - theirs[both]) / abs(ours[both])) else 0
}

# R's distances with pairs of fewer than min_common common traits taken out.
reference_distances <- function(z, min_common) {
  d <- as.vector(dist(z))
  present <- !is.na(z)
  common <- as.vector(as.dist(present %*% t(present)))
  d[common < min_common] <- NA
  d
}

check_case <- function(label, x, min_common = 1) {
  x <- as.matrix(x)
  n <- nrow(x)
  m <- ncol(x)
  out <- run_driver(x, min_common)
  if (out$status != 0) return(fail(label, "driver exit status %d: %s", out$status, paste(out$lines, collapse = " | ")))
  expected_count <- sprintf("missing %d of %d in %d", sum(is.na(x)), n * m, sum(colSums(is.na(x)) > 0))
  if (out$lines[1] != expected_count) fail(label, "'%s', expected '%s'", out$lines[1], expected_count)

  z <- scale(x)
  off_z <- compare(label, "standardized value", section(out$lines, "standardized", "distances", n * m),
                   as.vector(t(z)))
  pairs <- n * (n - 1) / 2
  theirs <- reference_distances(z, min_common)
  off_d <- compare(label, "distance", section(out$lines, "distances", NULL, pairs), theirs)

  none <- which(is.na(theirs))
  lower <- which(lower.tri(matrix(0, n, n)), arr.ind = TRUE)  # dist's order: (row, col), row > col
  first <- if (length(none)) lower[none[1], c(2, 1)] - 1 else c(-1, -1)
  expected_none <- sprintf("no-distance %d first %d %d", length(none), first[1], first[2])
  if (out$lines[length(out$lines)] != expected_none)
    fail(label, "'%s', expected '%s'", out$lines[length(out$lines)], expected_none)

  one_thread <- run_driver(x, min_common, jobs = 1)
  three_threads <- run_driver(x, min_common, jobs = 3)
  if (!identical(one_thread$lines, out$lines) || !identical(three_threads$lines, out$lines))
    fail(label, "the output differs between 1, 2 and 3 threads")
  cat(sprintf("ok   %s: %s, %d pairs without a distance; apart from R by %.1e (values), %.1e (distances)\n",
              label, out$lines[1], length(none), off_z, off_d))
  invisible(length(none))
}

# Where scale() leaves a trait NaN, the driver stops at it.
check_stop <- function(label, x, kind, trait) {
  z <- scale(as.matrix(x))
  present <- !is.na(x[, trait + 1])
  if (!all(is.nan(z[present, trait + 1]))) fail(label, "R standardizes trait %d, the case is wrong", trait)
  out <- run_driver(x)
  stop_line <- grep("^stop ", out$lines, value = TRUE)
  expected <- sprintf("stop %s %d %d", kind, trait, sum(!is.na(x[, trait + 1])))
  if (out$status != 1 || length(stop_line) != 1 || stop_line != expected)
    return(fail(label, "status %d, '%s', expected '%s'", out$status, paste(stop_line, collapse = ""), expected))
  cat("ok  ", label, ":", stop_line, "\n")
}

# Each value of x missing with probability `share`, at a fixed seed.
punch <- function(x, share, seed) {
  x <- as.matrix(x)
  set.seed(seed)
  x[matrix(runif(length(x)) < share, nrow(x))] <- NA
  x
}

air <- as.matrix(airquality)
if (sum(is.na(air)) != 44) fail("airquality", "%d values missing, expected 44", sum(is.na(air)))
check_case("airquality", air)
check_case("airquality, at least 5 traits in common", air, min_common = 5)
check_case("airquality, at least 6 traits in common", air, min_common = 6)
check_case("mtcars, 10% missing", punch(mtcars, 0.10, 1))
check_case("mtcars, 30% missing, at least 4 in common", punch(mtcars, 0.30, 2), min_common = 4)
check_case("USArrests, 10% missing", punch(USArrests, 0.10, 3))
sparse <- punch(USArrests, 0.60, 4)
if (check_case("USArrests, 60% missing", sparse) == 0)
  fail("USArrests, 60% missing", "no pair without a distance: the case shows nothing")
check_case("swiss, 10% missing", punch(swiss, 0.10, 5))
check_case("iris, 20% missing", punch(iris[, 1:4], 0.20, 6))
check_case("swiss, complete", swiss)

lone <- as.matrix(swiss)
lone[-3, "Agriculture"] <- NA
check_stop("swiss, one value of Agriculture", lone, "too-few-values", 1)
equal <- punch(mtcars, 0.10, 7)
equal[, "cyl"] <- ifelse(equal[, "cyl"] == 6, 6, NA)
check_stop("mtcars, the present cyl all 6", equal, "identical", 1)

if (failures > 0) {
  cat(failures, "check(s) failed\n")
  quit(status = 1)
}
cat("all checks held\n")
