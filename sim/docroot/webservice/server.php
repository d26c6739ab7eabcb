<?php
// SPDX-License-Identifier: MIT
// Demo signal service: operation Signal of HelloWorldPortType ("urn:HelloWorld",
// RPC/encoded). Each call answers with one record per major pair:
// (Symbol:EURUSD,Price:1.08423,Time:2026-12-08 10:15:00,Signal:0.4213)
// Prices walk at random and signals drift smoothly from call to call; the
// state lives in a small file per port so that every call continues the walk.

declare(strict_types=1);

const PAIRS = [
    // symbol => [start price, decimals]
    'EURUSD' => [1.08420, 5],
    'GBPUSD' => [1.26710, 5],
    'USDJPY' => [149.820, 3],
    'USDCHF' => [0.88150, 5],
    'AUDUSD' => [0.65830, 5],
    'USDCAD' => [1.35940, 5],
    'NZDUSD' => [0.61270, 5],
    'EURGBP' => [0.85560, 5],
];

function endpointUrl(): string
{
    $host = $_SERVER['HTTP_HOST'] ?? ('127.0.0.1:' . ($_SERVER['SERVER_PORT'] ?? '80'));
    return 'http://' . $host . '/webservice/server.php';
}

function gaussian(): float
{
    $u = max(mt_rand(1, mt_getrandmax()) / mt_getrandmax(), 1e-12);
    $v = mt_rand(0, mt_getrandmax()) / mt_getrandmax();
    return sqrt(-2.0 * log($u)) * cos(2.0 * M_PI * $v);
}

function statePath(): string
{
    return sys_get_temp_dir() . '/quorvane-sim-' . (int)($_SERVER['SERVER_PORT'] ?? 0) . '.json';
}

// Advances the walk by one step under a file lock and returns the new state.
function nextState(): array
{
    $handle = fopen(statePath(), 'c+');
    if ($handle === false) {
        throw new RuntimeException('cannot open state file');
    }
    flock($handle, LOCK_EX);
    $state = json_decode((string)stream_get_contents($handle), true);
    if (!is_array($state)) {
        $state = [];
    }
    foreach (PAIRS as $symbol => [$start, $decimals]) {
        // A fresh service starts from varied signals so that the display has
        // something to show at once.
        $entry = $state[$symbol] ?? ['price' => $start,
                                     'signal' => max(-0.9, min(0.9, 0.45 * gaussian())),
                                     'trend' => 0.0];
        $entry['price'] = max($entry['price'] * (1.0 + 0.0003 * gaussian()), $start * 0.5);
        // The trend changes slowly, the signal follows it: smooth, bounded.
        $entry['trend'] = max(-0.15, min(0.15, 0.9 * $entry['trend'] + 0.03 * gaussian()));
        $entry['signal'] = max(-1.0, min(1.0, 0.97 * $entry['signal'] + $entry['trend']));
        $state[$symbol] = $entry;
    }
    ftruncate($handle, 0);
    rewind($handle);
    fwrite($handle, json_encode($state));
    fflush($handle);
    flock($handle, LOCK_UN);
    fclose($handle);
    return $state;
}

class HelloWorldService
{
    public function Signal(int $format, string $fuck): string
    {
        $time = gmdate('Y.m.d H:i');
        $reply = '';
        foreach (nextState() as $symbol => $entry) {
            if (!isset(PAIRS[$symbol])) {
                continue;
            }
            $decimals = PAIRS[$symbol][1];
            // %F ignores the locale: the decimal separator is always ".".
            $reply .= sprintf('(Symbol:%s,Price:%.' . $decimals . 'F,Time:%s,Signal:%.4F)',
                              $symbol, $entry['price'], $time, $entry['signal']);
        }
        return $reply;
    }
}

$wsdlFile = __DIR__ . '/helloworld.wsdl';

if ($_SERVER['REQUEST_METHOD'] === 'GET' && isset($_GET['wsdl'])) {
    header('Content-Type: text/xml; charset=utf-8');
    echo str_replace('@ENDPOINT@', htmlspecialchars(endpointUrl(), ENT_XML1), (string)file_get_contents($wsdlFile));
    exit;
}

if ($_SERVER['REQUEST_METHOD'] !== 'POST') {
    header('Content-Type: text/plain; charset=utf-8');
    echo "HelloWorld signal service: POST a SOAP request, or GET ?wsdl for its description.\n";
    exit;
}

ini_set('soap.wsdl_cache_enabled', '0');
$server = new SoapServer($wsdlFile, ['encoding' => 'UTF-8', 'cache_wsdl' => WSDL_CACHE_NONE]);
$server->setClass(HelloWorldService::class);
$server->handle();
